#include "spooler/Spooler.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>

namespace vornapx {

namespace {

std::string TextOf(const char* text) { return text == nullptr ? std::string() : std::string(text); }

// The spooler's A functions take non-const strings; they get a private copy.
std::vector<char> Writable(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return copy;
}

// Keeps a multi-string's own NULs and adds a final pair in case a record lacks them.
std::vector<char> WritableBytes(const std::string& bytes) {
    std::vector<char> copy(bytes.begin(), bytes.end());
    copy.push_back('\0');
    copy.push_back('\0');
    return copy;
}

void StoreError(unsigned long* error) {
    const DWORD code = ::GetLastError();
    if (error != nullptr) *error = code;
}

// Two calls: the first learns the size in bytes, the second fills a buffer of
// exactly that size. Returns the buffer and the entry count (0 on failure).
template <typename Enumerate>
std::vector<unsigned char> EnumerateTwice(Enumerate enumerate, DWORD& count) {
    DWORD needed = 0;
    count = 0;
    enumerate(nullptr, 0, &needed, &count);
    count = 0;
    if (needed == 0) return std::vector<unsigned char>();
    std::vector<unsigned char> buffer(needed);
    if (!enumerate(buffer.data(), needed, &needed, &count)) {
        count = 0;
        buffer.clear();
    }
    return buffer;
}

}  // namespace

std::vector<PortEntry> EnumPortsLevel2() {
    DWORD count = 0;
    const std::vector<unsigned char> buffer = EnumerateTwice(
        [](LPBYTE data, DWORD size, LPDWORD needed, LPDWORD returned) {
            return ::EnumPortsA(nullptr, 2, data, size, needed, returned);
        },
        count);
    std::vector<PortEntry> ports;
    const PORT_INFO_2A* info = reinterpret_cast<const PORT_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        ports.push_back({TextOf(info[i].pPortName), TextOf(info[i].pDescription)});
    }
    return ports;
}

std::vector<MonitorEntry> EnumMonitorsLevel1() {
    DWORD count = 0;
    const std::vector<unsigned char> buffer = EnumerateTwice(
        [](LPBYTE data, DWORD size, LPDWORD needed, LPDWORD returned) {
            return ::EnumMonitorsA(nullptr, 1, data, size, needed, returned);
        },
        count);
    std::vector<MonitorEntry> monitors;
    const MONITOR_INFO_1A* info = reinterpret_cast<const MONITOR_INFO_1A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        monitors.push_back({info[i].pName != nullptr, TextOf(info[i].pName)});
    }
    return monitors;
}

bool ConfigurePortDialog(void* owner, const std::string& port) {
    std::vector<char> name = Writable(port);
    const BOOL ok = ::ConfigurePortA(nullptr, static_cast<HWND>(owner), name.data());
    static_cast<void>(::GetLastError());
    return ok != FALSE;
}

bool AddPortDialog(void* owner, const std::string& monitor) {
    std::vector<char> name = Writable(monitor);
    const BOOL ok = ::AddPortA(nullptr, static_cast<HWND>(owner), name.data());
    static_cast<void>(::GetLastError());
    return ok != FALSE;
}

std::string GetDriverDirectory(const std::string& environment, unsigned long* error) {
    // The spooler writes at most 254 characters and a NUL into the zero-filled 255 bytes.
    const DWORD kSize = 255;
    std::vector<BYTE> buffer(kSize, 0);
    std::vector<char> env = Writable(environment);
    DWORD needed = 0;
    if (error != nullptr) *error = 0;
    if (!::GetPrinterDriverDirectoryA(nullptr, env.data(), 1, buffer.data(), kSize, &needed)) {
        StoreError(error);
        return std::string();
    }
    const auto end = std::find(buffer.begin(), buffer.end(), BYTE(0));
    return std::string(buffer.begin(), end);
}

bool AddPrinterDriverLevel3(const DriverRecord& record, unsigned long* error) {
    std::vector<char> name = Writable(record.name);
    std::vector<char> environment = Writable(record.environment);
    std::vector<char> driverPath = Writable(record.driverPath);
    std::vector<char> dataFile = Writable(record.dataFile);
    std::vector<char> configFile = Writable(record.configFile);
    std::vector<char> helpFile = Writable(record.helpFile);
    std::vector<char> dependentFiles = WritableBytes(record.dependentFiles);
    std::vector<char> monitorName = Writable(record.monitorName);  // "" is a NUL, not null
    std::vector<char> dataType = Writable(record.defaultDataType);

    DRIVER_INFO_3A info = {};
    info.cVersion = record.cVersion;
    info.pName = name.data();
    info.pEnvironment = environment.data();
    info.pDriverPath = driverPath.data();
    info.pDataFile = dataFile.data();
    info.pConfigFile = configFile.data();
    info.pHelpFile = helpFile.data();
    info.pDependentFiles = dependentFiles.data();
    info.pMonitorName = monitorName.data();
    info.pDefaultDataType = dataType.data();
    if (error != nullptr) *error = 0;
    if (!::AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) {
        StoreError(error);
        return false;
    }
    return true;
}

void* AddPrinterLevel2(const PrinterRecord& record, unsigned long* error) {
    std::vector<char> printerName = Writable(record.printerName);
    std::vector<char> portName = Writable(record.portName);
    std::vector<char> driverName = Writable(record.driverName);
    std::vector<char> printProcessor = Writable(record.printProcessor);
    std::vector<char> datatype = Writable(record.datatype);

    PRINTER_INFO_2A info = {};  // every other field zero or null
    info.pPrinterName = printerName.data();
    info.pPortName = portName.data();
    info.pDriverName = driverName.data();
    info.pPrintProcessor = printProcessor.data();
    info.pDatatype = datatype.data();
    if (error != nullptr) *error = 0;
    const HANDLE printer = ::AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    if (printer == nullptr) StoreError(error);
    return printer;
}

bool PrinterExists(const std::string& name) {
    // An empty name would open the print server itself.
    if (name.empty()) return false;
    std::vector<char> printerName = Writable(name);
    HANDLE printer = nullptr;
    if (!::OpenPrinterA(printerName.data(), &printer, nullptr)) return false;
    ::ClosePrinter(printer);
    return true;
}

void ClosePrinterHandle(void* printer) {
    static_cast<void>(::ClosePrinter(static_cast<HANDLE>(printer)));
}

}  // namespace vornapx
