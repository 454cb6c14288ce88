// What the spooler and the registry are told about the installed driver.
#pragma once

#include <string>

#include "catalogue/ModelCatalogue.h"
#include "install/ArchProfile.h"

namespace vornapx {

// The dependent-file multi-string: NUL-terminated entries and a final NUL, all
// inside the returned bytes (47 for row 0, 73 for row 9). Every entry but the
// model DLL starts with a backslash.
std::string BuildDependentFiles(const ModelRow& row);

// "baud,parity,data,stop,flow" from the serial tables at the given list indexes.
// Returns an empty string (nothing to write) when any index is outside its table.
std::string FormatPortSettings(int baud, int parity, int dataBits, int stopBits, int flow);

// The "Device" value: "driver,winspool,port" (the port may be empty).
std::string FormatDefaultPrinter(const std::string& driverName, const std::string& port);

// A level-3 driver record; file names carry no folder.
struct DriverRecord {
    unsigned long cVersion = 2;
    std::string name;
    std::string environment;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    std::string helpFile;
    std::string dependentFiles;  // multi-string, see BuildDependentFiles
    std::string monitorName;     // empty text, passed as a pointer to a NUL
    std::string defaultDataType;
};

DriverRecord BuildDriverRecord(const ArchProfile& profile, const ModelRow& row);

// The five set fields of a level-2 printer record; every other field is zero.
struct PrinterRecord {
    std::string printerName;
    std::string portName;
    std::string driverName;
    std::string printProcessor;
    std::string datatype;
};

// The printer bears the driver's name and sits on the given port.
PrinterRecord BuildPrinterRecord(const ModelRow& row, const std::string& port);

}  // namespace vornapx
