#include "install/InstallRoutine.h"

#include <vector>

#include "catalogue/ModelCatalogue.h"
#include "catalogue/SerialTables.h"
#include "install/CopyPlan.h"

namespace vornapx {

const char kWindowsKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
const char kPortsKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports";
// "错误：无法设置有关的注册表信息" in code page 936, shown through that page on any system.
const char kRegistryErrorCp936[] =
    "\xB4\xED\xCE\xF3\xA3\xBA\xCE\xDE\xB7\xA8\xC9\xE8\xD6\xC3\xD3\xD0"
    "\xB9\xD8\xB5\xC4\xD7\xA2\xB2\xE1\xB1\xED\xD0\xC5\xCF\xA2";

namespace {

constexpr unsigned kAnsiPage = 0;
constexpr unsigned kRegistryMessagePage = 936;
constexpr unsigned long kAccessDenied = 5;
constexpr unsigned kFinalPauseMs = 500;

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The system's text with its code, so a report can be looked up either way.
std::string Describe(InstallOps& ops, unsigned long error) {
    const std::string code = "error " + std::to_string(error);
    const std::string text = ops.ErrorText(error);
    return text.empty() ? code : text + " (" + code + ")";
}

std::string Lines(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += "\n  " + item;
    return text;
}

// One registry write. A key that does not open is skipped silently (the
// Windows key is missing on some systems); an opened key is always closed.
// Returns false only when the write itself was refused, after saying so.
bool WriteStringValue(InstallOps& ops, RegistryRoot root, const char* subkey,
                      const std::string& name, const std::string& text) {
    const KeyHandle key = ops.OpenKeyForSetValue(root, subkey);
    if (key == nullptr) return true;
    unsigned long error = 0;
    // The byte count leaves out the terminating NUL.
    const bool written =
        ops.SetStringValue(key, name, text, static_cast<unsigned long>(text.size()), error);
    if (!written) ops.ShowMessage(kRegistryErrorCp936, kRegistryMessagePage);
    ops.CloseKey(key);
    return written;
}

}  // namespace

bool RunInstallation(const ArchProfile& profile, const InstallInputs& inputs, InstallOps& ops) {
    const ModelRow* row = FindModelRow(inputs.modelIndex);
    if (row == nullptr) {
        ops.ShowMessage("No printer model is selected (list index " +
                            std::to_string(inputs.modelIndex) + ").\nNothing was installed.",
                        kAnsiPage);
        return false;
    }

    // Without the directory every destination would lose its folder.
    std::string directory;
    unsigned long error = 0;
    if (!ops.DriverDirectory(profile.environment, directory, error)) {
        ops.ShowMessage("The print spooler did not report its driver folder for " +
                            Quoted(profile.environment) + ":\n" + Describe(ops, error) +
                            "\nNothing was installed.",
                        kAnsiPage);
        return false;
    }
    if (directory.empty()) {
        ops.ShowMessage("The print spooler reported an empty driver folder for " +
                            Quoted(profile.environment) + ".\nNothing was installed.",
                        kAnsiPage);
        return false;
    }

    const std::vector<CopyEntry> plan = BuildCopyPlan(profile, *row, directory);

    // Check the whole package before copying anything: a driver registered
    // from a partial set of files would not work.
    std::vector<std::string> missing;
    for (const CopyEntry& entry : plan) {
        if (!ops.FileExists(entry.source)) missing.push_back(FileNameOf(entry.source));
    }
    if (!missing.empty()) {
        ops.ShowMessage("The driver files are missing from the package folder " +
                            Quoted(profile.sourceFolder) + ":" + Lines(missing) +
                            "\nNothing was installed.",
                        kAnsiPage);
        return false;
    }

    // A failed copy (e.g. a destination in use) does not stop the run: the
    // spooler may still hold a usable copy from an earlier installation. The
    // failures are reported once, as the last message of the run.
    std::vector<std::string> notCopied;
    for (const CopyEntry& entry : plan) {
        unsigned long copyError = 0;
        if (!ops.CopyReplacing(entry.source, entry.destination, copyError)) {
            notCopied.push_back(FileNameOf(entry.source) + ": " + Describe(ops, copyError));
        }
        if (entry.progress != 0) ops.SetProgress(entry.progress);
    }
    const auto finish = [&](bool succeeded) {
        if (notCopied.empty()) return succeeded;
        ops.ShowMessage("These driver files could not be copied to " + Quoted(directory) + ":" +
                            Lines(notCopied),
                        kAnsiPage);
        return false;
    };

    const DriverRecord driver = BuildDriverRecord(profile, *row);
    if (!ops.RegisterDriver(driver, error)) {
        // Without the driver the printer, the default and the settings are meaningless.
        std::string text = "The printer driver " + Quoted(driver.name) +
                           " could not be registered for " + Quoted(driver.environment) +
                           ":\n" + Describe(ops, error);
        if (error == kAccessDenied) {
            text += "\nAdministrator rights are needed to install a printer driver.";
        }
        ops.ShowMessage(text, kAnsiPage);
        return finish(false);
    }
    ops.SetProgress(70);

    const PrinterRecord printer = BuildPrinterRecord(*row, inputs.port);
    const PrinterHandle handle = ops.CreatePrinter(printer, error);
    bool printerReady = handle != nullptr;
    if (!printerReady) {
        // A printer of that name from an earlier installation is the one to use.
        // Ask the spooler: the error code cannot tell (Wine reports 87 for everything).
        printerReady = ops.PrinterExists(printer.printerName);
        if (!printerReady) {
            std::string text = "The printer " + Quoted(printer.printerName) +
                               " could not be created on port " + Quoted(printer.portName) +
                               ":\n" + Describe(ops, error);
            if (inputs.setDefault) text += "\nThe default printer was left unchanged.";
            ops.ShowMessage(text, kAnsiPage);
        }
    }
    ops.SetProgress(80);

    bool allWritten = true;
    // Pointing the default at a printer that does not exist would break printing.
    if (inputs.setDefault && printerReady) {
        allWritten = WriteStringValue(ops, RegistryRoot::CurrentUser, kWindowsKey, "Device",
                                      FormatDefaultPrinter(row->driverName, inputs.port));
    }
    ops.SetProgress(90);

    // The line settings belong to the port, so they are stored even without a printer.
    if (IsComPortIndex(inputs.portListIndex)) {
        const std::string settings = FormatPortSettings(inputs.baud, inputs.parity,
                                                        inputs.dataBits, inputs.stopBits,
                                                        inputs.flow);
        const char* valueName = SerialPortEntry(inputs.portListIndex);
        if (!settings.empty() && valueName != nullptr) {
            allWritten = WriteStringValue(ops, RegistryRoot::LocalMachine, kPortsKey, valueName,
                                          settings) &&
                         allWritten;
        }
    }
    ops.SetProgress(95);

    // Closed even when null: the system refuses a null handle without harm.
    ops.ClosePrinterHandle(handle);
    ops.Pause(kFinalPauseMs);
    ops.SetProgress(100);
    return finish(printerReady && allWritten);
}

}  // namespace vornapx
