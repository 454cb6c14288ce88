#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "catalogue/Descrambler.h"
#include "tools/NameScrambler.h"

namespace vornapx {
namespace {

TEST(DescrambleName, KnownInputs)
{
    struct Case {
        const char* what;
        std::string letters;
        unsigned key;
        std::string text;
    };
    // "BCDE", key 0x1234: BC = 28 -> 28 ^ 0x12 = 0x0E; the key becomes
    // ((28 + 0x1234) * 0x6F3D + 0x2B59) mod 65536 = 0x3869; DE = 82 -> 82 ^ 0x38 = 0x6A.
    // Updating the key with the output byte instead would give 0x71.
    const Case cases[] = {
        {"empty", "", 0x1234, ""},
        {"empty, other key", "", 0xFFFF, ""},
        {"one letter", "Q", 0x1234, ""},
        {"two pairs", "BCDE", 0x1234, "\x0E\x6A"},
        {"odd letter ignored", "BCDEZ", 0x1234, "\x0E\x6A"},
        {"only low 16 key bits", "BCDE", 0xABCD1234u, "\x0E\x6A"},
        {"JZ is 259, kept mod 256", "JZ", 0x0000, "\x03"},
        {"JZ under key high byte 1", "JZ", 0x01FF, "\x02"},
        // The key also moves on with 3, not 259: k = (3 * 0x6F3D + 0x2B59) mod 65536
        // = 0x7910, so BC = 28 -> 28 ^ 0x79 = 0x65 ('e').
        {"JZ feeds the key as 3", "JZBC", 0x0000, "\x03" "e"},
        // (('0' - 'A') * 26 + ('0' - 'A')) mod 256 = -459 mod 256 = 53: wraps, no UB.
        {"non-letters wrap", "00", 0x0000, "\x35"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DescrambleName(c.letters, c.key), c.text);
    }
}

TEST(DescrambleName, KeyLowByteFirstShowsInSecondCharacter)
{
    const std::string letters = "BCDEFG";
    const std::string a = DescrambleName(letters, 0x1200);
    const std::string b = DescrambleName(letters, 0x12FF);
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(a[0], b[0]);
    EXPECT_NE(a[1], b[1]);
    // A different high byte changes the first character already.
    EXPECT_NE(DescrambleName(letters, 0x1300)[0], a[0]);
}

TEST(DescrambleName, ZeroByteStaysInTheText)
{
    // AA is byte 0; under a key whose high byte is 0 it comes out as 0.
    const std::string text = DescrambleName("AABC", 0x00FF);
    ASSERT_EQ(text.size(), 2u);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(std::strlen(text.c_str()), 0u);

    // A NUL inside a name survives; a zero-terminated view ends there.
    const std::string plain("AB\0CD", 5);
    const std::string back = DescrambleName(ScrambleName(plain, 0x4D2A), 0x4D2A);
    EXPECT_EQ(back, plain);
    EXPECT_EQ(std::strlen(back.c_str()), 2u);
}

TEST(ScrambleName, RoundTripsEveryByte)
{
    std::string allBytes;
    for (int b = 0; b < 256; ++b) {
        allBytes.push_back(static_cast<char>(b));
    }
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<unsigned> anyKey(0u, 0xFFFFu);
    unsigned keys[34] = {0x0000u, 0xFFFFu};
    for (int i = 2; i < 34; ++i) {
        keys[i] = anyKey(random);
    }
    for (const unsigned key : keys) {
        SCOPED_TRACE(key);
        const std::string letters = ScrambleName(allBytes, key);
        ASSERT_EQ(letters.size(), 512u);
        for (const char ch : letters) {
            ASSERT_TRUE(ch >= 'A' && ch <= 'Z') << static_cast<int>(ch);
        }
        EXPECT_EQ(DescrambleName(letters, key), allBytes);
        // Every byte also as the first one, where only the key's high byte acts.
        for (const char b : allBytes) {
            const std::string one(1, b);
            ASSERT_EQ(DescrambleName(ScrambleName(one, key), key), one);
        }
    }
}

TEST(ScrambleName, UsesOnlyLow16KeyBits)
{
    const std::string plain = "VORNA";
    EXPECT_EQ(ScrambleName(plain, 0x00015D8Cu), ScrambleName(plain, 0x5D8Cu));
    EXPECT_NE(ScrambleName(plain, 0x5D8Cu), ScrambleName(plain, 0x5E8Cu));
}

}  // namespace
}  // namespace vornapx
