#include "catalogue/Descrambler.h"

namespace vornapx {

std::string DescrambleName(const std::string& scrambled, unsigned key)
{
    std::string text;
    text.reserve(scrambled.size() / 2);
    unsigned k = key & 0xFFFFu;
    // Unsigned throughout so that a stray non-letter only wraps, never overflows.
    for (std::size_t i = 0; i + 1 < scrambled.size(); i += 2) {
        const unsigned first = static_cast<unsigned char>(scrambled[i]) - unsigned{'A'};
        const unsigned second = static_cast<unsigned char>(scrambled[i + 1]) - unsigned{'A'};
        const unsigned c = (first * 26u + second) & 0xFFu;
        text.push_back(static_cast<char>(static_cast<unsigned char>(c ^ ((k >> 8) & 0xFFu))));
        // The key follows the letter-pair byte, not the text byte.
        k = ((c + k) * kNameKeyMultiplier + kNameKeyIncrement) & 0xFFFFu;
    }
    return text;
}

}  // namespace vornapx
