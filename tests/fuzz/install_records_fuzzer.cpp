// Fuzzes the copy plan and the driver, printer and registry texts with model
// rows, driver directories and ports made from the input.
// Input: a flags byte (bit 0: plug-in row, bit 1: x64 profile), five signed
// serial list indexes (baud, parity, data bits, stop bits, flow), then the
// lines DLL stem, GPD stem, driver name, driver directory, port.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "catalogue/ModelCatalogue.h"
#include "catalogue/SerialTables.h"
#include "install/ArchProfile.h"
#include "install/CopyPlan.h"
#include "install/DriverRecords.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using vornapx::fuzz::Visible;

std::vector<std::string> SplitLines(const std::string& text, std::size_t count) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (lines.size() + 1 < count) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(start < text.size() ? text.substr(start) : std::string());
    lines.resize(count);
    return lines;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

void CheckCopyPlan(const vornapx::ArchProfile& profile, const vornapx::ModelRow& row, const std::string& directory) {
    const std::vector<vornapx::CopyEntry> plan = vornapx::BuildCopyPlan(profile, row, directory);
    FUZZ_CHECK(plan.size() == 10, std::to_string(plan.size()) + " entries");
    const std::string folder = std::string(profile.sourceFolder) + "\\";
    int lastProgress = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const vornapx::CopyEntry& entry = plan[i];
        FUZZ_CHECK(StartsWith(entry.source, folder), "source " + Visible(entry.source));
        const std::string name = entry.source.substr(folder.size());
        FUZZ_CHECK(entry.destination == directory + "\\" + name,
                   "destination " + Visible(entry.destination) + " for " + Visible(entry.source));
        if (i >= 2) FUZZ_CHECK(name.find('\\') == std::string::npos, "fixed name " + Visible(name));
        if (entry.progress != 0) {
            FUZZ_CHECK(entry.progress > lastProgress, "progress goes back at entry " + std::to_string(i));
            lastProgress = entry.progress;
        }
    }
    FUZZ_CHECK(plan[0].source == folder + row.dllStem + ".DLL", "model DLL " + Visible(plan[0].source));
    FUZZ_CHECK(plan[1].source == folder + row.gpdStem + ".GPD", "model GPD " + Visible(plan[1].source));
    FUZZ_CHECK(plan[0].progress == 10 && plan[9].progress == 60, "progress ends");
}

void CheckDriverRecord(const vornapx::ArchProfile& profile, const vornapx::ModelRow& row) {
    const std::string files = vornapx::BuildDependentFiles(row);
    const std::size_t block = row.plugIn ? 64 : 38;
    const std::size_t stem = std::strlen(row.dllStem);
    FUZZ_CHECK(files.size() == block + stem + 6,
               std::to_string(files.size()) + " bytes for a stem of " + std::to_string(stem));
    FUZZ_CHECK(files.size() >= 2 && files[files.size() - 1] == '\0' && files[files.size() - 2] == '\0',
               "no final empty entry in " + Visible(files));
    std::vector<std::string> entries;
    for (std::size_t start = 0; start + 1 < files.size();) {
        const std::size_t end = files.find('\0', start);
        entries.push_back(files.substr(start, end - start));
        start = end + 1;
    }
    FUZZ_CHECK(entries.size() == (row.plugIn ? 6u : 4u), std::to_string(entries.size()) + " entries in " + Visible(files));
    FUZZ_CHECK(entries.back() == std::string(row.dllStem) + ".DLL", "model DLL entry " + Visible(entries.back()));
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        FUZZ_CHECK(entries[i].size() > 1 && entries[i][0] == '\\', "entry " + Visible(entries[i]));
    }

    const vornapx::DriverRecord record = vornapx::BuildDriverRecord(profile, row);
    FUZZ_CHECK(record.dependentFiles == files, "record's dependent files differ");
    FUZZ_CHECK(record.name == row.driverName && record.environment == profile.environment, "record names");
    FUZZ_CHECK(record.dataFile == std::string("\\") + row.gpdStem + ".GPD", "data file " + Visible(record.dataFile));
    FUZZ_CHECK(record.cVersion == 2 && record.monitorName.empty(), "record constants");
}

void CheckTexts(const vornapx::ModelRow& row, const std::string& port, const int (&serial)[5]) {
    const vornapx::PrinterRecord printer = vornapx::BuildPrinterRecord(row, port);
    FUZZ_CHECK(printer.printerName == row.driverName && printer.driverName == row.driverName &&
                   printer.portName == port,
               "printer record for " + Visible(port));

    const std::string device = vornapx::FormatDefaultPrinter(row.driverName, port);
    const std::string middle = std::string(row.driverName) + ",winspool,";
    FUZZ_CHECK(device.size() == middle.size() + port.size() && StartsWith(device, middle) &&
                   device.compare(middle.size(), std::string::npos, port) == 0,
               "device " + Visible(device));

    const char* const parts[] = {vornapx::BaudRateEntry(serial[0]), vornapx::ParityEntry(serial[1]),
                                 vornapx::DataBitsEntry(serial[2]), vornapx::StopBitsEntry(serial[3]),
                                 vornapx::FlowControlEntry(serial[4])};
    const std::string settings =
        vornapx::FormatPortSettings(serial[0], serial[1], serial[2], serial[3], serial[4]);
    std::string expected;
    for (const char* part : parts) {
        if (part == nullptr) {
            expected.clear();
            break;
        }
        if (!expected.empty()) expected += ',';
        expected += part;
    }
    FUZZ_CHECK(settings == expected, "settings " + Visible(settings) + ", expected " + Visible(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    const bool plugIn = (data[0] & 1u) != 0;
    const vornapx::ArchProfile& profile = (data[0] & 2u) != 0 ? vornapx::X64Profile() : vornapx::X86Profile();
    int serial[5];
    for (int i = 0; i < 5; ++i) serial[i] = static_cast<std::int8_t>(data[1 + i]);
    const std::vector<std::string> lines =
        SplitLines(std::string(reinterpret_cast<const char*>(data + 6), size - 6), 5);

    // The catalogue holds C strings: a NUL in a field ends it there.
    const vornapx::ModelRow row{{"", 0}, lines[0].c_str(), lines[1].c_str(), lines[2].c_str(), plugIn};
    CheckCopyPlan(profile, row, lines[3]);
    CheckDriverRecord(profile, row);
    CheckTexts(row, lines[4], serial);
    return 0;
}
