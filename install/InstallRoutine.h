// The installation routine, written against the platform operations it needs
// so that it runs the same on Windows and against a recording fake.
#pragma once

#include <string>

#include "install/ArchProfile.h"
#include "install/DriverRecords.h"

namespace vornapx {

// What the wizard's pages hold when "&Install" is pressed.
struct InstallInputs {
    std::string port;  // m_strPort of the Select Port page (also g_chosenPort)
    int modelIndex = 0;
    int portListIndex = 0;  // hidden port list; 3..6 are COM ports
    bool setDefault = true;
    // List indexes; the defaults are the page's starting selections (19200,N,8,1,p).
    int baud = 5;
    int dataBits = 3;
    int stopBits = 0;
    int parity = 2;
    int flow = 2;
};

enum class RegistryRoot { CurrentUser, LocalMachine };

// Opaque handles: null means "none".
using PrinterHandle = void*;
using KeyHandle = void*;

// Every platform operation the routine makes. Error codes are the system's.
// Names avoid the A/W macros of windows.h (CopyFile, AddPrinter, ...).
class InstallOps {
public:
    virtual ~InstallOps() = default;

    // The spooler's driver directory for an environment; false with an error
    // code when the spooler does not report one.
    virtual bool DriverDirectory(const std::string& environment, std::string& directory,
                                 unsigned long& error) = 0;
    // True when a regular file exists at the path.
    virtual bool FileExists(const std::string& path) = 0;
    // Copies one file, replacing the destination; false with an error code.
    virtual bool CopyReplacing(const std::string& source, const std::string& destination,
                               unsigned long& error) = 0;
    // Registers a level-3 driver on the local machine; false with an error code.
    virtual bool RegisterDriver(const DriverRecord& record, unsigned long& error) = 0;
    // Creates a level-2 printer; null with an error code on failure.
    virtual PrinterHandle CreatePrinter(const PrinterRecord& record, unsigned long& error) = 0;
    // True when the spooler opens a printer of that name.
    virtual bool PrinterExists(const std::string& name) = 0;
    // Closes a printer handle; a null handle is passed through and refused by the system.
    virtual void ClosePrinterHandle(PrinterHandle handle) = 0;
    // Opens a key for setting values; null when it does not open.
    virtual KeyHandle OpenKeyForSetValue(RegistryRoot root, const std::string& subkey) = 0;
    // Writes a REG_SZ value with exactly byteCount bytes of text; false with an error code.
    virtual bool SetStringValue(KeyHandle key, const std::string& name, const std::string& text,
                                unsigned long byteCount, unsigned long& error) = 0;
    virtual void CloseKey(KeyHandle key) = 0;
    // The system's text for an error code (may be empty when it has none).
    virtual std::string ErrorText(unsigned long error) = 0;
    virtual void SetProgress(int position) = 0;
    virtual void Pause(unsigned milliseconds) = 0;
    // Shows a message box and returns once it is closed. codePage 0 is the
    // system's ANSI page; 936 is the page the registry error message is stored in.
    virtual void ShowMessage(const std::string& text, unsigned codePage) = 0;
};

// Registry locations and the message shown for a refused write.
extern const char kWindowsKey[];          // HKCU, holds "Device"
extern const char kPortsKey[];            // HKLM, holds the COM line settings
extern const char kRegistryErrorCp936[];  // code page 936 bytes

// Copies the driver files, registers driver and printer, writes the default
// printer and the COM settings, moving the progress bar from 10 to 100.
// Returns true only when the driver is registered, the printer exists and no
// failure message was shown; every failure has been reported to the user.
bool RunInstallation(const ArchProfile& profile, const InstallInputs& inputs, InstallOps& ops);

}  // namespace vornapx
