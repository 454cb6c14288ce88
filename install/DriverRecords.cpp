#include "install/DriverRecords.h"

#include "catalogue/SerialTables.h"

namespace vornapx {

std::string BuildDependentFiles(const ModelRow& row) {
    std::string list;
    const auto add = [&list](const std::string& entry) {
        list += entry;
        list += '\0';
    };
    add("\\ttfsub.GPD");
    add("\\unires.DLL");
    add("\\stdnames.GPD");
    if (row.plugIn) {
        add("\\RDRPLUG.ini");
        add("\\RDRPLUG.dll");
    }
    // The spooler finds the model DLL by its bare name.
    add(std::string(row.dllStem) + ".DLL");
    list += '\0';
    return list;
}

std::string FormatPortSettings(int baud, int parity, int dataBits, int stopBits, int flow) {
    const char* const parts[] = {BaudRateEntry(baud), ParityEntry(parity), DataBitsEntry(dataBits),
                                 StopBitsEntry(stopBits), FlowControlEntry(flow)};
    std::string text;
    for (const char* part : parts) {
        // A list without a selection has no setting to store: write nothing at all
        // rather than a value the port monitor cannot parse.
        if (part == nullptr) return std::string();
        if (!text.empty()) text += ',';
        text += part;
    }
    return text;
}

std::string FormatDefaultPrinter(const std::string& driverName, const std::string& port) {
    return driverName + ",winspool," + port;
}

DriverRecord BuildDriverRecord(const ArchProfile& profile, const ModelRow& row) {
    DriverRecord record;
    record.cVersion = 2;
    record.name = row.driverName;
    record.environment = profile.environment;
    record.driverPath = "\\uniDRV.DLL";
    record.dataFile = std::string("\\") + row.gpdStem + ".GPD";
    record.configFile = "\\uniDRVui.DLL";
    record.helpFile = "\\uniDRV.HLP";
    record.dependentFiles = BuildDependentFiles(row);
    record.monitorName = std::string();
    record.defaultDataType = "RAW";
    return record;
}

PrinterRecord BuildPrinterRecord(const ModelRow& row, const std::string& port) {
    PrinterRecord record;
    record.printerName = row.driverName;
    record.portName = port;
    record.driverName = row.driverName;
    record.printProcessor = "WinPrint";
    record.datatype = "RAW";
    return record;
}

}  // namespace vornapx
