// The pure builders of the installation: copy plan, dependent files, registry
// texts and spooler records, byte for byte.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/ModelCatalogue.h"
#include "install/ArchProfile.h"
#include "install/CopyPlan.h"
#include "install/DriverRecords.h"

namespace {

using vornapx::ArchProfile;
using vornapx::CopyEntry;
using vornapx::ModelRow;

const ModelRow& Row(int index) {
    const ModelRow* row = vornapx::FindModelRow(index);
    if (row == nullptr) throw std::out_of_range("no model row " + std::to_string(index));
    return *row;
}

// Bytes with embedded NULs, from a literal.
template <std::size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

// Entries of a multi-string that ends with an empty entry.
std::vector<std::string> SplitMultiString(const std::string& bytes) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos || end == start) break;
        entries.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

TEST(ArchProfileTest, TheTwoProfiles) {
    EXPECT_STREQ(vornapx::X86Profile().environment, "Windows NT x86");
    EXPECT_STREQ(vornapx::X86Profile().sourceFolder, "Printer Driver\\x86");
    EXPECT_STREQ(vornapx::X64Profile().environment, "Windows x64");
    EXPECT_STREQ(vornapx::X64Profile().sourceFolder, "Printer Driver\\x64");
}

struct PlanCase {
    const char* name;
    const ArchProfile& profile;
    int row;
    std::string directory;
    std::vector<CopyEntry> expected;
};

void ExpectPlan(const std::vector<CopyEntry>& expected, const std::vector<CopyEntry>& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i + 1));
        EXPECT_EQ(expected[i].source, actual[i].source);
        EXPECT_EQ(expected[i].destination, actual[i].destination);
        EXPECT_EQ(expected[i].progress, actual[i].progress);
    }
}

TEST(CopyPlanTest, WholePlansByteForByte) {
    const std::string x86Dir = "C:\\windows\\system32\\spool\\drivers\\w32x86";
    const std::string x64Dir = "C:\\windows\\system32\\spool\\drivers\\x64";
    const PlanCase cases[] = {
        {"x86 row 0", vornapx::X86Profile(), 0, x86Dir,
         {
             {"Printer Driver\\x86\\ZR1.DLL", x86Dir + "\\ZR1.DLL", 10},
             {"Printer Driver\\x86\\Z101.GPD", x86Dir + "\\Z101.GPD", 20},
             {"Printer Driver\\x86\\uniDRVui.DLL", x86Dir + "\\uniDRVui.DLL", 30},
             {"Printer Driver\\x86\\uniDRV.DLL", x86Dir + "\\uniDRV.DLL", 0},
             {"Printer Driver\\x86\\UNIDRV.HLP", x86Dir + "\\UNIDRV.HLP", 40},
             {"Printer Driver\\x86\\UNIRES.DLL", x86Dir + "\\UNIRES.DLL", 0},
             {"Printer Driver\\x86\\TTFSUB.GPD", x86Dir + "\\TTFSUB.GPD", 50},
             {"Printer Driver\\x86\\STDNAMES.GPD", x86Dir + "\\STDNAMES.GPD", 0},
             {"Printer Driver\\x86\\RDRPLUG.ini", x86Dir + "\\RDRPLUG.ini", 0},
             {"Printer Driver\\x86\\RDRPLUG.dll", x86Dir + "\\RDRPLUG.dll", 60},
         }},
        {"x64 row 9", vornapx::X64Profile(), 9, x64Dir,
         {
             {"Printer Driver\\x64\\ZR3.DLL", x64Dir + "\\ZR3.DLL", 10},
             {"Printer Driver\\x64\\Z110.GPD", x64Dir + "\\Z110.GPD", 20},
             {"Printer Driver\\x64\\uniDRVui.DLL", x64Dir + "\\uniDRVui.DLL", 30},
             {"Printer Driver\\x64\\uniDRV.DLL", x64Dir + "\\uniDRV.DLL", 0},
             {"Printer Driver\\x64\\UNIDRV.HLP", x64Dir + "\\UNIDRV.HLP", 40},
             {"Printer Driver\\x64\\UNIRES.DLL", x64Dir + "\\UNIRES.DLL", 0},
             {"Printer Driver\\x64\\TTFSUB.GPD", x64Dir + "\\TTFSUB.GPD", 50},
             {"Printer Driver\\x64\\STDNAMES.GPD", x64Dir + "\\STDNAMES.GPD", 0},
             {"Printer Driver\\x64\\RDRPLUG.ini", x64Dir + "\\RDRPLUG.ini", 0},
             {"Printer Driver\\x64\\RDRPLUG.dll", x64Dir + "\\RDRPLUG.dll", 60},
         }},
        // The directory is used as given: a trailing backslash doubles.
        {"trailing backslash", vornapx::X86Profile(), 5, "D:\\drv\\",
         {
             {"Printer Driver\\x86\\Z106.DLL", "D:\\drv\\\\Z106.DLL", 10},
             {"Printer Driver\\x86\\Z106.GPD", "D:\\drv\\\\Z106.GPD", 20},
             {"Printer Driver\\x86\\uniDRVui.DLL", "D:\\drv\\\\uniDRVui.DLL", 30},
             {"Printer Driver\\x86\\uniDRV.DLL", "D:\\drv\\\\uniDRV.DLL", 0},
             {"Printer Driver\\x86\\UNIDRV.HLP", "D:\\drv\\\\UNIDRV.HLP", 40},
             {"Printer Driver\\x86\\UNIRES.DLL", "D:\\drv\\\\UNIRES.DLL", 0},
             {"Printer Driver\\x86\\TTFSUB.GPD", "D:\\drv\\\\TTFSUB.GPD", 50},
             {"Printer Driver\\x86\\STDNAMES.GPD", "D:\\drv\\\\STDNAMES.GPD", 0},
             {"Printer Driver\\x86\\RDRPLUG.ini", "D:\\drv\\\\RDRPLUG.ini", 0},
             {"Printer Driver\\x86\\RDRPLUG.dll", "D:\\drv\\\\RDRPLUG.dll", 60},
         }},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectPlan(c.expected, vornapx::BuildCopyPlan(c.profile, Row(c.row), c.directory));
    }
}

// Only entries 1 and 2 follow the row; the plug-in files go with every row.
TEST(CopyPlanTest, RowsDifferOnlyInTheModelFiles) {
    const std::vector<CopyEntry> plain = vornapx::BuildCopyPlan(vornapx::X86Profile(), Row(0), "D:");
    for (int index = 1; index < vornapx::kModelCount; ++index) {
        SCOPED_TRACE("row " + std::to_string(index));
        const ModelRow& row = Row(index);
        const std::vector<CopyEntry> plan = vornapx::BuildCopyPlan(vornapx::X86Profile(), row, "D:");
        ASSERT_EQ(plan.size(), plain.size());
        EXPECT_EQ(plan[0].destination, std::string("D:\\") + row.dllStem + ".DLL");
        EXPECT_EQ(plan[1].destination, std::string("D:\\") + row.gpdStem + ".GPD");
        for (std::size_t i = 2; i < plan.size(); ++i) {
            EXPECT_EQ(plan[i].source, plain[i].source);
            EXPECT_EQ(plan[i].destination, plain[i].destination);
            EXPECT_EQ(plan[i].progress, plain[i].progress);
        }
    }
}

struct DependentCase {
    int row;
    std::string expected;
};

TEST(DependentFilesTest, ExactBytes) {
    const DependentCase cases[] = {
        {0, Bytes("\\ttfsub.GPD\0\\unires.DLL\0\\stdnames.GPD\0ZR1.DLL\0\0")},
        {8, Bytes("\\ttfsub.GPD\0\\unires.DLL\0\\stdnames.GPD\0ZR2.DLL\0\0")},
        {9, Bytes("\\ttfsub.GPD\0\\unires.DLL\0\\stdnames.GPD\0\\RDRPLUG.ini\0\\RDRPLUG.dll\0"
                  "ZR3.DLL\0\0")},
        {16, Bytes("\\ttfsub.GPD\0\\unires.DLL\0\\stdnames.GPD\0\\RDRPLUG.ini\0\\RDRPLUG.dll\0"
                   "ZR3.DLL\0\0")},
    };
    for (const DependentCase& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row));
        EXPECT_EQ(vornapx::BuildDependentFiles(Row(c.row)), c.expected);
    }
    EXPECT_EQ(vornapx::BuildDependentFiles(Row(0)).size(), 47u);
    const std::string row9 = vornapx::BuildDependentFiles(Row(9));
    EXPECT_EQ(row9.size(), 73u);
    EXPECT_EQ(row9.compare(64, 8, Bytes("ZR3.DLL\0")), 0);
}

TEST(DependentFilesTest, EveryRowEndsWithTheBareModelDll) {
    for (int index = 0; index < vornapx::kModelCount; ++index) {
        SCOPED_TRACE("row " + std::to_string(index));
        const ModelRow& row = Row(index);
        const std::string bytes = vornapx::BuildDependentFiles(row);
        const std::size_t block = row.plugIn ? 64 : 38;
        EXPECT_EQ(bytes.size(), block + std::string(row.dllStem).size() + 6);
        ASSERT_GE(bytes.size(), 2u);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), Bytes("\0\0"));
        const std::vector<std::string> entries = SplitMultiString(bytes);
        ASSERT_EQ(entries.size(), row.plugIn ? 6u : 4u);
        EXPECT_EQ(entries.back(), std::string(row.dllStem) + ".DLL");
        for (std::size_t i = 0; i + 1 < entries.size(); ++i) EXPECT_EQ(entries[i][0], '\\');
    }
}

struct SettingsCase {
    int baud, parity, dataBits, stopBits, flow;
    std::string expected;
};

TEST(PortSettingsTest, FormatsFromTheTables) {
    const SettingsCase cases[] = {
        {5, 2, 3, 0, 2, "19200,N,8,1,p"},  // the page's starting selections
        {4, 2, 3, 0, 0, "9600,N,8,1, "},   // flow "None" is a blank, and it is kept
        {0, 3, 1, 2, 1, "300,O,6,2,x"},    // a distinct value in every place
        {8, 1, 0, 1, 2, "115200,E,5,1.5,p"},  // "Mark" stores "E"
        // Outside a table (no selection, or past the end): nothing to write.
        {-1, 2, 3, 0, 2, ""},
        {5, 5, 3, 0, 2, ""},
        {5, 2, 4, 0, 2, ""},
        {5, 2, 3, -1, 2, ""},
        {5, 2, 3, 0, 3, ""},
    };
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(vornapx::FormatPortSettings(c.baud, c.parity, c.dataBits, c.stopBits, c.flow),
                  c.expected);
    }
    EXPECT_EQ(vornapx::FormatPortSettings(5, 2, 3, 0, 2).size(), 13u);
    EXPECT_EQ(vornapx::FormatPortSettings(4, 2, 3, 0, 0).size(), 12u);
}

TEST(DefaultPrinterTest, DriverWinspoolPort) {
    const std::string text = vornapx::FormatDefaultPrinter("ZRT-101", "LPT1:");
    EXPECT_EQ(text, "ZRT-101,winspool,LPT1:");
    EXPECT_EQ(text.size(), 22u);
    EXPECT_EQ(vornapx::FormatDefaultPrinter("ZRT-101", ""), "ZRT-101,winspool,");
}

TEST(DriverRecordTest, FieldsForRowZero) {
    const vornapx::DriverRecord record = vornapx::BuildDriverRecord(vornapx::X86Profile(), Row(0));
    EXPECT_EQ(record.cVersion, 2u);
    EXPECT_EQ(record.name, "ZRT-101");
    EXPECT_EQ(record.environment, "Windows NT x86");
    EXPECT_EQ(record.driverPath, "\\uniDRV.DLL");
    EXPECT_EQ(record.dataFile, "\\Z101.GPD");
    EXPECT_EQ(record.configFile, "\\uniDRVui.DLL");
    EXPECT_EQ(record.helpFile, "\\uniDRV.HLP");
    EXPECT_EQ(record.dependentFiles, vornapx::BuildDependentFiles(Row(0)));
    EXPECT_EQ(record.monitorName, "");
    EXPECT_EQ(record.defaultDataType, "RAW");
}

TEST(DriverRecordTest, ProfilesDifferOnlyInEnvironment) {
    for (int index : {0, 5, 9, 16}) {
        SCOPED_TRACE("row " + std::to_string(index));
        const vornapx::DriverRecord x86 = vornapx::BuildDriverRecord(vornapx::X86Profile(), Row(index));
        vornapx::DriverRecord x64 = vornapx::BuildDriverRecord(vornapx::X64Profile(), Row(index));
        EXPECT_EQ(x64.environment, "Windows x64");
        EXPECT_EQ(x64.dataFile, std::string("\\") + Row(index).gpdStem + ".GPD");
        x64.environment = x86.environment;
        EXPECT_EQ(x64.cVersion, x86.cVersion);
        EXPECT_EQ(x64.name, x86.name);
        EXPECT_EQ(x64.driverPath, x86.driverPath);
        EXPECT_EQ(x64.dataFile, x86.dataFile);
        EXPECT_EQ(x64.configFile, x86.configFile);
        EXPECT_EQ(x64.helpFile, x86.helpFile);
        EXPECT_EQ(x64.dependentFiles, x86.dependentFiles);
        EXPECT_EQ(x64.monitorName, x86.monitorName);
        EXPECT_EQ(x64.defaultDataType, x86.defaultDataType);
    }
}

TEST(PrinterRecordTest, NamedAfterTheDriverOnTheChosenPort) {
    const vornapx::PrinterRecord record = vornapx::BuildPrinterRecord(Row(9), "COM2:");
    EXPECT_EQ(record.printerName, "ZRT-110");
    EXPECT_EQ(record.portName, "COM2:");
    EXPECT_EQ(record.driverName, "ZRT-110");
    EXPECT_EQ(record.printProcessor, "WinPrint");
    EXPECT_EQ(record.datatype, "RAW");
    EXPECT_EQ(vornapx::BuildPrinterRecord(Row(0), "").portName, "");
}

}  // namespace
