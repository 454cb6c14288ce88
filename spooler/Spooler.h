// The print spooler operations the wizard uses, always on the local machine.
// Owner windows and printer handles are passed as void* so this header needs
// no windows.h. Names avoid the A/W macros of windows.h (AddPort, ConfigurePort).
#pragma once

#include <string>
#include <vector>

#include "install/DriverRecords.h"

namespace vornapx {

struct PortEntry {
    std::string name;
    std::string description;
};

struct MonitorEntry {
    bool hasName;  // a monitor may report a null name
    std::string name;
};

// The spooler's ports (level 2); empty when the enumeration fails.
std::vector<PortEntry> EnumPortsLevel2();

// The installed port monitors (level 1); empty when the enumeration fails.
std::vector<MonitorEntry> EnumMonitorsLevel1();

// Lets the port's monitor show its configuration dialog. Returns the
// spooler's answer; the last error is read and dropped.
bool ConfigurePortDialog(void* owner, const std::string& port);

// Lets the monitor show its add-port dialog. Returns the spooler's answer;
// the last error is read and dropped.
bool AddPortDialog(void* owner, const std::string& monitor);

// The driver directory of an environment; empty on failure, with the
// system's error code in *error when given.
std::string GetDriverDirectory(const std::string& environment, unsigned long* error = nullptr);

// Registers a level-3 driver; false on failure, with the error in *error when given.
bool AddPrinterDriverLevel3(const DriverRecord& record, unsigned long* error = nullptr);

// Creates a level-2 printer; returns its handle, or null with the error in *error.
void* AddPrinterLevel2(const PrinterRecord& record, unsigned long* error = nullptr);

// True when a printer of that name can be opened.
bool PrinterExists(const std::string& name);

// Closes a printer handle. A null handle is passed on too: the spooler refuses
// it without harm, and the result is dropped.
void ClosePrinterHandle(void* printer);

}  // namespace vornapx
