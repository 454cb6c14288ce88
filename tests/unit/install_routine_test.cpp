// The installation routine against the recording fake: the exact order of
// operations and progress positions, and what happens when each operation fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "install/ArchProfile.h"
#include "install/InstallRoutine.h"
#include "tests/unit/RecordingInstallOps.h"

namespace {

using vornapx::ArchProfile;
using vornapx::InstallInputs;
using vornapx_test::RecordingInstallOps;

const std::string kHkcuWindows = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const std::string kHklmPorts = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
const std::vector<int> kAllPositions = {10, 20, 30, 40, 50, 60, 70, 80, 90, 95, 100};

// "错误：无法设置有关的注册表信息" as iconv -t CP936 gives it.
std::string RegistryMessage() {
    const std::string hex = "b4edcef3a3bacedeb7a8c9e8d6c3d3d0b9d8b5c4d7a2b2e1b1edd0c5cfa2";
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

InstallInputs Inputs(int modelIndex, const std::string& port, int portListIndex) {
    InstallInputs inputs;
    inputs.port = port;
    inputs.modelIndex = modelIndex;
    inputs.portListIndex = portListIndex;
    inputs.setDefault = true;
    return inputs;
}

bool Logged(const RecordingInstallOps& ops, const std::string& prefix) {
    return std::any_of(ops.log.begin(), ops.log.end(), [&](const std::string& line) {
        return line.compare(0, prefix.size(), prefix) == 0;
    });
}

std::vector<int> PositionsUpTo(int last) {
    std::vector<int> positions;
    for (int p : kAllPositions) {
        if (last == 0 || p > last) break;
        positions.push_back(p);
    }
    return positions;
}

// Ten checks, then ten copies with the positions after entries 1,2,3,5,7,10.
std::vector<std::string> CopyPhase(const std::string& folder, const std::string& dllStem,
                                   const std::string& gpdStem) {
    const std::vector<std::pair<std::string, int>> files = {
        {dllStem + ".DLL", 10}, {gpdStem + ".GPD", 20}, {"uniDRVui.DLL", 30},
        {"uniDRV.DLL", 0},      {"UNIDRV.HLP", 40},     {"UNIRES.DLL", 0},
        {"TTFSUB.GPD", 50},     {"STDNAMES.GPD", 0},    {"RDRPLUG.ini", 0},
        {"RDRPLUG.dll", 60}};
    std::vector<std::string> log;
    for (const auto& file : files) log.push_back("FileExists " + folder + "\\" + file.first);
    for (const auto& file : files) {
        log.push_back("Copy " + folder + "\\" + file.first + " -> D:\\drv\\" + file.first);
        if (file.second != 0) log.push_back("Progress " + std::to_string(file.second));
    }
    return log;
}

struct SequenceCase {
    const char* name;
    const ArchProfile& profile;
    InstallInputs inputs;
    std::vector<std::string> expected;
};

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(InstallRoutineTest, NormalRunsInExactOrder) {
    const SequenceCase cases[] = {
        {"x86 row 0 on LPT1", vornapx::X86Profile(), Inputs(0, "LPT1:", 0),
         Concat({{"DriverDirectory Windows NT x86"},
                 CopyPhase("Printer Driver\\x86", "ZR1", "Z101"),
                 {"RegisterDriver ZRT-101 Windows NT x86", "Progress 70",
                  "CreatePrinter ZRT-101 on LPT1:", "Progress 80",
                  "OpenKey " + kHkcuWindows,
                  "SetValue " + kHkcuWindows + " Device = ZRT-101,winspool,LPT1: (22)",
                  "CloseKey " + kHkcuWindows, "Progress 90", "Progress 95",
                  "ClosePrinter printer", "Pause 500", "Progress 100"}})},
        {"x64 row 9 on COM1", vornapx::X64Profile(), Inputs(9, "COM1:", 3),
         Concat({{"DriverDirectory Windows x64"},
                 CopyPhase("Printer Driver\\x64", "ZR3", "Z110"),
                 {"RegisterDriver ZRT-110 Windows x64", "Progress 70",
                  "CreatePrinter ZRT-110 on COM1:", "Progress 80",
                  "OpenKey " + kHkcuWindows,
                  "SetValue " + kHkcuWindows + " Device = ZRT-110,winspool,COM1: (22)",
                  "CloseKey " + kHkcuWindows, "Progress 90",
                  "OpenKey " + kHklmPorts,
                  "SetValue " + kHklmPorts + " COM1: = 19200,N,8,1,p (13)",
                  "CloseKey " + kHklmPorts, "Progress 95",
                  "ClosePrinter printer", "Pause 500", "Progress 100"}})},
    };
    for (const SequenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingInstallOps ops;
        EXPECT_TRUE(vornapx::RunInstallation(c.profile, c.inputs, ops));
        EXPECT_EQ(ops.log, c.expected);
        EXPECT_EQ(ops.progress, kAllPositions);
        EXPECT_TRUE(ops.messages.empty());
        ASSERT_EQ(ops.drivers.size(), 1u);
        EXPECT_EQ(ops.drivers[0].environment, c.profile.environment);
        EXPECT_EQ(ops.drivers[0].dependentFiles.size(), c.inputs.modelIndex == 9 ? 73u : 47u);
    }
}

TEST(InstallRoutineTest, DefaultBoxClearedTouchesNoRegistry) {
    RecordingInstallOps ops;
    InstallInputs inputs = Inputs(0, "LPT1:", 0);
    inputs.setDefault = false;
    EXPECT_TRUE(vornapx::RunInstallation(vornapx::X86Profile(), inputs, ops));
    EXPECT_FALSE(Logged(ops, "OpenKey"));
    EXPECT_TRUE(ops.writes.empty());
    EXPECT_EQ(ops.progress, kAllPositions);
}

TEST(InstallRoutineTest, OnlyComListIndexesWriteSerialSettings) {
    struct Case {
        int portListIndex;
        const char* valueName;  // nullptr: the Ports key is not touched
    };
    const Case cases[] = {{-1, nullptr}, {0, nullptr},    {1, nullptr},    {2, nullptr},
                          {3, "COM1:"},  {4, "COM2:"},    {5, "COM3:"},    {6, "COM4:"},
                          {7, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE("port list index " + std::to_string(c.portListIndex));
        RecordingInstallOps ops;
        // The value is named by the list index, not by the chosen spooler port.
        InstallInputs inputs = Inputs(0, "LPT1:", c.portListIndex);
        inputs.setDefault = false;
        EXPECT_TRUE(vornapx::RunInstallation(vornapx::X86Profile(), inputs, ops));
        EXPECT_EQ(ops.progress, kAllPositions);
        if (c.valueName == nullptr) {
            EXPECT_FALSE(Logged(ops, "OpenKey"));
            EXPECT_TRUE(ops.writes.empty());
            continue;
        }
        ASSERT_EQ(ops.writes.size(), 1u);
        EXPECT_EQ(ops.writes[0].key, kHklmPorts);
        EXPECT_EQ(ops.writes[0].name, c.valueName);
        EXPECT_EQ(ops.writes[0].text, "19200,N,8,1,p");
        EXPECT_EQ(ops.writes[0].byteCount, 13u);
    }
}

TEST(InstallRoutineTest, SerialSettingsFollowTheLists) {
    struct Case {
        int baud, parity, dataBits, stopBits, flow;
        const char* text;  // nullptr: nothing is written
    };
    const Case cases[] = {
        {4, 2, 3, 0, 0, "9600,N,8,1, "},  // the trailing blank is written and counted
        {0, 3, 1, 2, 1, "300,O,6,2,x"},
        {-1, 2, 3, 0, 2, nullptr},  // a list without a selection
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text == nullptr ? "no selection" : c.text);
        RecordingInstallOps ops;
        InstallInputs inputs = Inputs(0, "COM1:", 3);
        inputs.setDefault = false;
        inputs.baud = c.baud;
        inputs.parity = c.parity;
        inputs.dataBits = c.dataBits;
        inputs.stopBits = c.stopBits;
        inputs.flow = c.flow;
        EXPECT_TRUE(vornapx::RunInstallation(vornapx::X86Profile(), inputs, ops));
        EXPECT_EQ(ops.progress, kAllPositions);
        if (c.text == nullptr) {
            EXPECT_FALSE(Logged(ops, "OpenKey"));
            continue;
        }
        ASSERT_EQ(ops.writes.size(), 1u);
        EXPECT_EQ(ops.writes[0].text, c.text);
        EXPECT_EQ(ops.writes[0].byteCount, std::string(c.text).size());
    }
}

TEST(InstallRoutineTest, EmptyChosenPortIsPassedOn) {
    RecordingInstallOps ops;
    EXPECT_TRUE(vornapx::RunInstallation(vornapx::X86Profile(), Inputs(0, "", 0), ops));
    ASSERT_EQ(ops.printers.size(), 1u);
    EXPECT_EQ(ops.printers[0].portName, "");
    EXPECT_EQ(ops.printers[0].printerName, "ZRT-101");
    ASSERT_EQ(ops.writes.size(), 1u);
    EXPECT_EQ(ops.writes[0].name, "Device");
    EXPECT_EQ(ops.writes[0].text, "ZRT-101,winspool,");
    EXPECT_EQ(ops.writes[0].byteCount, 17u);
}

struct ExpectedMessage {
    unsigned codePage;
    std::vector<std::string> present;
    std::vector<std::string> absent;
};

struct FailureCase {
    const char* name;
    std::function<void(RecordingInstallOps&, InstallInputs&)> arrange;
    bool result;
    int lastProgress;  // 0: none at all
    std::vector<ExpectedMessage> messages;
    std::vector<std::string> done;     // log prefixes that must appear
    std::vector<std::string> notDone;  // log prefixes that must not appear
    bool endsWithMessage = false;      // the run's last act is its one message
};

TEST(InstallRoutineTest, EachOperationFailingInTurn) {
    const std::string registry = RegistryMessage();
    const std::string device = "SetValue " + kHkcuWindows + " Device";
    const std::string serial = "SetValue " + kHklmPorts + " COM1:";
    const FailureCase cases[] = {
        {"model index outside the catalogue",
         [](RecordingInstallOps&, InstallInputs& in) { in.modelIndex = 17; },
         false, 0, {{0, {"list index 17", "Nothing was installed"}, {}}},
         {}, {"DriverDirectory", "FileExists", "Copy", "RegisterDriver", "OpenKey"}, true},
        {"driver directory query fails",
         [](RecordingInstallOps& ops, InstallInputs&) {
             ops.directoryOk = false;
             ops.directoryError = 6;  // no text known for it
         },
         false, 0, {{0, {"Windows NT x86", "error 6", "Nothing was installed"}, {"()"}}},
         {"DriverDirectory"}, {"FileExists", "Copy", "RegisterDriver", "CreatePrinter", "OpenKey"},
         true},
        {"driver directory empty",
         [](RecordingInstallOps& ops, InstallInputs&) { ops.directory.clear(); },
         false, 0, {{0, {"empty driver folder", "Windows NT x86", "Nothing was installed"}, {}}},
         {"DriverDirectory"}, {"FileExists", "Copy", "RegisterDriver", "OpenKey"}, true},
        {"a source file missing",
         [](RecordingInstallOps& ops, InstallInputs&) {
             ops.missingSources = {"Printer Driver\\x86\\UNIRES.DLL",
                                   "Printer Driver\\x86\\RDRPLUG.dll"};
         },
         false, 0,
         {{0, {"\"Printer Driver\\x86\"", "\n  UNIRES.DLL", "\n  RDRPLUG.dll",
               "Nothing was installed"},
           {"ZR1.DLL", "TTFSUB.GPD"}}},
         {"FileExists Printer Driver\\x86\\RDRPLUG.dll"},
         {"Copy", "RegisterDriver", "CreatePrinter", "OpenKey", "ClosePrinter", "Pause"}, true},
        {"a copy fails (destination in use)",
         [](RecordingInstallOps& ops, InstallInputs&) {
             ops.copyErrors["Printer Driver\\x86\\TTFSUB.GPD"] = 32;
         },
         false, 100,
         {{0, {"could not be copied", "D:\\drv", "\n  TTFSUB.GPD: ", "being used", "(error 32)"},
           {"UNIRES.DLL"}}},
         {"Copy Printer Driver\\x86\\STDNAMES.GPD", "RegisterDriver", "CreatePrinter", device,
          serial, "ClosePrinter printer"},
         {}, true},
        {"driver registration refused for lack of rights",
         [](RecordingInstallOps& ops, InstallInputs&) { ops.driverError = 5; },
         false, 60,
         {{0, {"\"ZRT-101\"", "could not be registered", "Access is denied. (error 5)",
               "Administrator rights"},
           {}}},
         {"RegisterDriver"}, {"CreatePrinter", "OpenKey", "ClosePrinter", "Pause"}, true},
        {"driver registration fails otherwise",
         [](RecordingInstallOps& ops, InstallInputs&) { ops.driverError = 1797; },
         false, 60,
         {{0, {"\"ZRT-101\"", "The printer driver is unknown. (error 1797)"}, {"Administrator"}}},
         {"RegisterDriver"}, {"CreatePrinter", "OpenKey", "ClosePrinter", "Pause"}, true},
        {"copy and registration both fail: the copy report comes last",
         [](RecordingInstallOps& ops, InstallInputs&) {
             ops.copyErrors["Printer Driver\\x86\\ZR1.DLL"] = 5;
             ops.driverError = 1797;
         },
         false, 60,
         {{0, {"could not be registered"}, {}}, {0, {"could not be copied", "ZR1.DLL"}, {}}},
         {}, {"CreatePrinter", "OpenKey"}, true},
        {"printer refused but one of that name exists",
         [](RecordingInstallOps& ops, InstallInputs&) {
             ops.printerError = 87;
             ops.printerAlreadyExists = true;
         },
         true, 100, {}, {"PrinterExists ZRT-101", device, serial, "ClosePrinter null"}, {}},
        {"printer refused and none exists",
         [](RecordingInstallOps& ops, InstallInputs&) { ops.printerError = 87; },
         false, 100,
         {{0, {"\"ZRT-101\"", "could not be created", "\"COM1:\"",
               "The parameter is incorrect. (error 87)", "default printer was left unchanged"},
           {}}},
         {"PrinterExists ZRT-101", serial, "ClosePrinter null"},
         {"OpenKey " + kHkcuWindows}},
        {"Windows key does not open",
         [](RecordingInstallOps& ops, InstallInputs&) {
             ops.unopenableRoots = {vornapx::RegistryRoot::CurrentUser};
         },
         true, 100, {}, {"OpenKey " + kHkcuWindows, serial}, {device, "CloseKey " + kHkcuWindows}},
        {"Device write refused",
         [](RecordingInstallOps& ops, InstallInputs&) { ops.refusedValues = {"Device"}; },
         false, 100, {{936, {registry}, {}}}, {device, "CloseKey " + kHkcuWindows, serial}, {}},
        {"Ports key does not open",
         [](RecordingInstallOps& ops, InstallInputs&) {
             ops.unopenableRoots = {vornapx::RegistryRoot::LocalMachine};
         },
         true, 100, {}, {device, "OpenKey " + kHklmPorts}, {serial, "CloseKey " + kHklmPorts}},
        {"serial settings write refused",
         [](RecordingInstallOps& ops, InstallInputs&) { ops.refusedValues = {"COM1:"}; },
         false, 100, {{936, {registry}, {}}}, {device, serial, "CloseKey " + kHklmPorts}, {}},
        {"both writes refused: the message twice",
         [](RecordingInstallOps& ops, InstallInputs&) { ops.refusedValues = {"Device", "COM1:"}; },
         false, 100, {{936, {registry}, {}}, {936, {registry}, {}}},
         {"CloseKey " + kHkcuWindows, "CloseKey " + kHklmPorts}, {}},
    };

    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingInstallOps ops;
        InstallInputs inputs = Inputs(0, "COM1:", 3);
        c.arrange(ops, inputs);
        EXPECT_EQ(vornapx::RunInstallation(vornapx::X86Profile(), inputs, ops), c.result);
        EXPECT_EQ(ops.progress, PositionsUpTo(c.lastProgress));
        EXPECT_TRUE(ops.openKeys.empty()) << "a registry key was left open";

        ASSERT_EQ(ops.messages.size(), c.messages.size());
        for (std::size_t i = 0; i < c.messages.size(); ++i) {
            const std::string& text = ops.messages[i].text;
            EXPECT_EQ(ops.messages[i].codePage, c.messages[i].codePage) << text;
            if (c.messages[i].codePage == 936) {
                EXPECT_EQ(text, registry);
            }
            for (const std::string& part : c.messages[i].present) {
                EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\n" << text;
            }
            for (const std::string& part : c.messages[i].absent) {
                EXPECT_EQ(text.find(part), std::string::npos) << "unexpected: " << part << "\n" << text;
            }
        }
        for (const std::string& op : c.done) EXPECT_TRUE(Logged(ops, op)) << "not done: " << op;
        for (const std::string& op : c.notDone) EXPECT_FALSE(Logged(ops, op)) << "done: " << op;

        if (c.endsWithMessage) {
            EXPECT_EQ(ops.log.back(), "Message 0");
        }
        if (c.lastProgress == 100) {
            // The printer is closed, then the half-second pause holds 95 before 100.
            const auto at95 = std::find(ops.log.begin(), ops.log.end(), "Progress 95");
            ASSERT_GE(std::distance(at95, ops.log.end()), 4);
            EXPECT_EQ(at95[1].rfind("ClosePrinter ", 0), 0u);
            EXPECT_EQ(at95[2], "Pause 500");
            EXPECT_EQ(at95[3], "Progress 100");
        }
    }
}

}  // namespace
