#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "catalogue/Descrambler.h"
#include "catalogue/ModelCatalogue.h"
#include "catalogue/SerialTables.h"

namespace vornapx {
namespace {

// What each row must read as once descrambled; the catalogue holds these only
// in scrambled form.
const char* const kExpectedDisplayNames[kModelCount] = {
    "VORNA ZRT-101 Pro", "VORNA ZRT-102 Pro", "VORNA ZRT-103 Pro", "VORNA ZRT-104 Pro",
    "VORNA ZRT-105 Pro", "VORNA ZRT-106 Net", "VORNA ZRT-107 Net", "VORNA ZRT-108 Eco",
    "VORNA ZRT-109 Eco", "VORNA ZRT-110 Plus", "VORNA ZRT-111 Max", "VORNA ZRT-112 Max",
    "VORNA ZRT-113 Max", "VORNA ZRT-114 Max", "VORNA ZRT-115 Max", "VORNA ZRT-116 Max",
    "VORNA ZRT-117 Max",
};
const char kExpectedInitialName[] = "VORNA ZRT Printers";

bool AllCapitals(const std::string& s)
{
    for (const char ch : s) {
        if (ch < 'A' || ch > 'Z') {
            return false;
        }
    }
    return true;
}

TEST(ModelCatalogue, StoredNamesDescrambleToTheirTexts)
{
    std::set<std::string> names;
    std::set<unsigned> keys;
    for (int i = 0; i < kModelCount; ++i) {
        SCOPED_TRACE(i);
        const ModelRow* row = FindModelRow(i);
        ASSERT_NE(row, nullptr);
        const std::string letters = row->displayName.letters;
        const std::string name = DisplayName(*row);
        EXPECT_EQ(name, kExpectedDisplayNames[i]);
        EXPECT_EQ(name.size(), i == 9 ? 18u : 17u);
        EXPECT_EQ(letters.size(), 2 * name.size());
        EXPECT_TRUE(AllCapitals(letters)) << letters;
        EXPECT_LE(row->displayName.key, 0xFFFFu);
        names.insert(name);
        keys.insert(row->displayName.key);
    }

    const ScrambledName& initial = InitialPrinterName();
    const std::string initialText = DescrambleName(initial.letters, initial.key);
    EXPECT_EQ(initialText, kExpectedInitialName);
    EXPECT_EQ(std::string(initial.letters).size(), 36u);
    EXPECT_TRUE(AllCapitals(initial.letters));
    EXPECT_NE(initialText, DisplayName(*FindModelRow(0)));
    names.insert(initialText);
    keys.insert(initial.key);

    // Eighteen texts, each with a key of its own.
    EXPECT_EQ(names.size(), 18u);
    EXPECT_EQ(keys.size(), 18u);
}

TEST(ModelCatalogue, RowsInListOrder)
{
    struct Expected {
        const char* dll;
        const char* gpd;
        const char* driver;
        bool plugIn;
    };
    const Expected expected[kModelCount] = {
        {"ZR1", "Z101", "ZRT-101", false}, {"ZR1", "Z102", "ZRT-102", false},
        {"ZR1", "Z103", "ZRT-103", false}, {"ZR1", "Z104", "ZRT-104", false},
        {"ZR1", "Z105", "ZRT-105", false}, {"Z106", "Z106", "ZRT-106", false},
        {"Z106", "Z107", "ZRT-107", false}, {"ZR2", "Z108", "ZRT-108", false},
        {"ZR2", "Z109", "ZRT-109", false}, {"ZR3", "Z110", "ZRT-110", true},
        {"ZR3", "Z111", "ZRT-111", true},  {"ZR3", "Z112", "ZRT-112", true},
        {"ZR3", "Z113", "ZRT-113", true},  {"ZR3", "Z114", "ZRT-114", true},
        {"ZR3", "Z115", "ZRT-115", true},  {"ZR3", "Z116", "ZRT-116", true},
        {"ZR3", "Z117", "ZRT-117", true},
    };
    for (int i = 0; i < kModelCount; ++i) {
        SCOPED_TRACE(i);
        const ModelRow* row = FindModelRow(i);
        ASSERT_NE(row, nullptr);
        EXPECT_STREQ(row->dllStem, expected[i].dll);
        EXPECT_STREQ(row->gpdStem, expected[i].gpd);
        EXPECT_STREQ(row->driverName, expected[i].driver);
        EXPECT_EQ(row->plugIn, expected[i].plugIn);
        EXPECT_EQ(UsesPlugIn(i), expected[i].plugIn);
    }
    // Both of row 5's files share one stem.
    EXPECT_STREQ(FindModelRow(5)->dllStem, FindModelRow(5)->gpdStem);
}

TEST(ModelCatalogue, IndexesOutsideTheList)
{
    for (const int index : {-1, kModelCount, 1000}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(FindModelRow(index), nullptr);
        EXPECT_FALSE(UsesPlugIn(index));
    }
}

TEST(SerialTables, EntriesByListIndex)
{
    struct Table {
        const char* name;
        const char* (*lookup)(int);
        std::vector<std::string> entries;
    };
    const Table tables[] = {
        {"port", SerialPortEntry, {"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "COM4:"}},
        {"baud", BaudRateEntry, {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}},
        {"data bits", DataBitsEntry, {"5", "6", "7", "8"}},
        {"stop bits", StopBitsEntry, {"1", "1.5", "2"}},
        // Mark maps to "E", not "M".
        {"parity", ParityEntry, {"E", "E", "N", "O", "S"}},
        // None is one blank, not an empty string.
        {"flow", FlowControlEntry, {" ", "x", "p"}},
    };
    for (const Table& t : tables) {
        SCOPED_TRACE(t.name);
        const int count = static_cast<int>(t.entries.size());
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            const char* entry = t.lookup(i);
            ASSERT_NE(entry, nullptr);
            EXPECT_EQ(std::string(entry), t.entries[static_cast<std::size_t>(i)]);
        }
        EXPECT_EQ(t.lookup(-1), nullptr);
        EXPECT_EQ(t.lookup(count), nullptr);
    }
}

TEST(SerialTables, OnlyComPortsCarrySettings)
{
    // Exactly the port-list rows whose value name is a COM port.
    for (int index = -1; index <= 7; ++index) {
        SCOPED_TRACE(index);
        const char* entry = SerialPortEntry(index);
        const bool com = entry != nullptr && std::string(entry).compare(0, 3, "COM") == 0;
        EXPECT_EQ(IsComPortIndex(index), com);
    }
    EXPECT_FALSE(IsComPortIndex(2));
    EXPECT_TRUE(IsComPortIndex(3));
    EXPECT_TRUE(IsComPortIndex(6));
}

}  // namespace
}  // namespace vornapx
