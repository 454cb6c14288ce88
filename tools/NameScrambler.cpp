#include "tools/NameScrambler.h"

#include "catalogue/Descrambler.h"

namespace vornapx {

std::string ScrambleName(const std::string& plain, unsigned key)
{
    std::string letters;
    letters.reserve(plain.size() * 2);
    unsigned k = key & 0xFFFFu;
    for (const char ch : plain) {
        const unsigned c = (static_cast<unsigned char>(ch) ^ (k >> 8)) & 0xFFu;
        letters.push_back(static_cast<char>('A' + c / 26u));
        letters.push_back(static_cast<char>('A' + c % 26u));
        // Same update as the descrambler, driven by the pair's byte.
        k = ((c + k) * kNameKeyMultiplier + kNameKeyIncrement) & 0xFFFFu;
    }
    return letters;
}

}  // namespace vornapx
