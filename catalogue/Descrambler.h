// Turns a stored name (capital-letter pairs + 16-bit key) into its text.
#pragma once

#include <cstdint>
#include <string>

namespace vornapx {

// Multiplier and increment of the rolling key; the scrambler tool uses the same.
constexpr std::uint16_t kNameKeyMultiplier = 0x6F3Du;
constexpr std::uint16_t kNameKeyIncrement = 0x2B59u;

// Pure: half as many bytes as letters (rounded down); a trailing odd letter is ignored.
std::string DescrambleName(const std::string& scrambled, unsigned key);

}  // namespace vornapx
