#include <gtest/gtest.h>

#include "app/OsVersion.h"

namespace vornapx {
namespace {

struct VersionCase {
    unsigned platform, major, minor;
    OsCode previous;
    OsCode expected;
};

TEST(ClassifyOsVersion, WholeTable) {
    const VersionCase cases[] = {
        // 9x family: only 4.0, 4.10 and 4.90 are known.
        {kPlatformWin9x, 4, 0, 0, 1},
        {kPlatformWin9x, 4, 10, 0, 2},
        {kPlatformWin9x, 4, 90, 0, 2},
        {kPlatformWin9x, 4, 50, 0, 0},
        {kPlatformWin9x, 4, 50, 7, 7},
        {kPlatformWin9x, 5, 0, 8, 8},
        {kPlatformWin9x, 3, 10, 0, 0},
        // NT family.
        {kPlatformNt, 3, 51, 0, 3},
        {kPlatformNt, 4, 0, 0, 3},
        {kPlatformNt, 4, 99, 5, 3},
        {kPlatformNt, 5, 0, 0, 4},
        {kPlatformNt, 5, 1, 0, 5},
        {kPlatformNt, 5, 2, 0, 6},
        {kPlatformNt, 5, 3, 0, 0},
        {kPlatformNt, 6, 0, 0, 7},
        {kPlatformNt, 6, 1, 0, 8},
        {kPlatformNt, 6, 2, 0, 9},
        // Versions after 6.2 keep what an earlier detection found.
        {kPlatformNt, 6, 3, 0, 0},
        {kPlatformNt, 10, 0, 0, 0},
        {kPlatformNt, 10, 0, 9, 9},
        {kPlatformNt, 7, 0, 4, 4},
        // Any other platform counts as Windows 2000.
        {0, 3, 10, 0, 4},
        {3, 10, 0, 8, 4},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(ClassifyOsVersion(c.platform, c.major, c.minor, c.previous), c.expected)
            << "platform " << c.platform << " version " << c.major << "." << c.minor << " previous " << c.previous;
    }
}

TEST(RadioIdForOsCode, EveryCodeAndOutOfRange) {
    const int expected[] = {0, 1000, 1001, 1002, 1003, 1004, 1011, 1020, 1005, 1006};
    for (int code = 0; code <= 9; ++code) EXPECT_EQ(RadioIdForOsCode(code), expected[code]) << code;
    EXPECT_EQ(RadioIdForOsCode(-1), 0);
    EXPECT_EQ(RadioIdForOsCode(10), 0);
}

TEST(IsNtFamily, CompletionMessageCodes) {
    for (int code = 0; code <= 10; ++code) EXPECT_EQ(IsNtFamily(code), code >= 3 && code <= 9) << code;
}

}  // namespace
}  // namespace vornapx
