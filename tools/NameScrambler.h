// Produces the stored form of a name: the inverse of DescrambleName.
#pragma once

#include <string>

namespace vornapx {

// Pure: two capital letters ("A".."J" then "A".."Z") per byte of plain; only
// the low 16 bits of key take part, as when descrambling.
std::string ScrambleName(const std::string& plain, unsigned key);

}  // namespace vornapx
