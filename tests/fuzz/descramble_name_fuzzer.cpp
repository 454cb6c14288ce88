// Fuzzes DescrambleName with arbitrary bytes and keys.
// Input: four bytes of key (little-endian), then the scrambled text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/Descrambler.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tools/NameScrambler.h"

namespace {

// True when the text is what the scrambler would have written: capital letters
// only, every pair standing for a byte value.
bool IsCanonical(const std::string& letters) {
    if (letters.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < letters.size(); i += 2) {
        const char a = letters[i];
        const char b = letters[i + 1];
        if (a < 'A' || a > 'Z' || b < 'A' || b > 'Z') return false;
        if ((a - 'A') * 26 + (b - 'A') > 255) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using vornapx::DescrambleName;
    using vornapx::ScrambleName;
    using vornapx::fuzz::Visible;
    if (size < 4) return 0;
    const unsigned key = static_cast<unsigned>(data[0]) | static_cast<unsigned>(data[1]) << 8 |
                         static_cast<unsigned>(data[2]) << 16 | static_cast<unsigned>(data[3]) << 24;
    const std::string scrambled(reinterpret_cast<const char*>(data + 4), size - 4);

    const std::string text = DescrambleName(scrambled, key);
    FUZZ_CHECK(text.size() == scrambled.size() / 2,
               "input " + std::to_string(scrambled.size()) + " bytes, output " + std::to_string(text.size()));

    // Only the key's low 16 bits take part.
    FUZZ_CHECK(DescrambleName(scrambled, key & 0xFFFFu) == text, "high key bits changed the text");
    FUZZ_CHECK(DescrambleName(scrambled, key ^ 0xFFFF0000u) == text, "high key bits changed the text");

    // Each byte depends only on the pairs before it: a shorter input gives a prefix,
    // and a trailing odd letter is dropped.
    const std::size_t half = text.size() / 2;
    FUZZ_CHECK(DescrambleName(scrambled.substr(0, 2 * half), key) == text.substr(0, half),
               "prefix of " + Visible(scrambled));
    FUZZ_CHECK(DescrambleName(scrambled.substr(0, 2 * text.size()), key) == text,
               "trailing letter changed " + Visible(scrambled));

    // The scrambler inverts it: its letters descramble to the same text, and they
    // are the input itself whenever the input is in the scrambler's own form.
    const std::string letters = ScrambleName(text, key);
    FUZZ_CHECK(DescrambleName(letters, key) == text, "round trip of " + Visible(text));
    if (IsCanonical(scrambled)) {
        FUZZ_CHECK(letters == scrambled, Visible(scrambled) + " scrambled back as " + Visible(letters));
    }
    return 0;
}
