// An in-memory stand-in for the platform that records every operation the
// installation routine makes, and fails the ones a test asks it to.
#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "install/InstallRoutine.h"

namespace vornapx_test {

class RecordingInstallOps : public vornapx::InstallOps {
public:
    // --- What the platform answers (tests change these before the run) ---
    std::string directory = "D:\\drv";
    bool directoryOk = true;
    unsigned long directoryError = 0;
    std::set<std::string> missingSources;            // source paths that do not exist
    std::map<std::string, unsigned long> copyErrors;  // source path -> error of its copy
    unsigned long driverError = 0;                    // nonzero: registration fails
    unsigned long printerError = 0;                   // nonzero: printer creation fails
    bool printerAlreadyExists = false;                // answer of the existence query
    std::set<vornapx::RegistryRoot> unopenableRoots;
    std::set<std::string> refusedValues;  // value names whose write is refused
    std::map<unsigned long, std::string> errorTexts = {
        {2, "The system cannot find the file specified."},
        {5, "Access is denied."},
        {32, "The process cannot access the file because it is being used by another process."},
        {87, "The parameter is incorrect."},
        {1797, "The printer driver is unknown."},
    };

    // --- What the routine did ---
    struct Message {
        std::string text;
        unsigned codePage;
    };
    struct Write {
        std::string key;  // "HKCU\\..." or "HKLM\\..."
        std::string name;
        std::string text;
        unsigned long byteCount;
    };
    std::vector<std::string> log;  // one line per operation, in order
    std::vector<int> progress;
    std::vector<Message> messages;
    std::vector<vornapx::DriverRecord> drivers;
    std::vector<vornapx::PrinterRecord> printers;
    std::vector<Write> writes;
    std::map<vornapx::KeyHandle, std::string> openKeys;  // still open after the run = leak

    bool DriverDirectory(const std::string& environment, std::string& out,
                         unsigned long& error) override {
        log.push_back("DriverDirectory " + environment);
        out = directoryOk ? directory : std::string();
        error = directoryOk ? 0 : directoryError;
        return directoryOk;
    }
    bool FileExists(const std::string& path) override {
        log.push_back("FileExists " + path);
        return missingSources.count(path) == 0;
    }
    bool CopyReplacing(const std::string& source, const std::string& destination,
                       unsigned long& error) override {
        log.push_back("Copy " + source + " -> " + destination);
        const auto found = copyErrors.find(source);
        error = found == copyErrors.end() ? 0 : found->second;
        return error == 0;
    }
    bool RegisterDriver(const vornapx::DriverRecord& record, unsigned long& error) override {
        log.push_back("RegisterDriver " + record.name + " " + record.environment);
        drivers.push_back(record);
        error = driverError;
        return driverError == 0;
    }
    vornapx::PrinterHandle CreatePrinter(const vornapx::PrinterRecord& record,
                                         unsigned long& error) override {
        log.push_back("CreatePrinter " + record.printerName + " on " + record.portName);
        printers.push_back(record);
        error = printerError;
        return printerError == 0 ? &printerToken_ : nullptr;
    }
    bool PrinterExists(const std::string& name) override {
        log.push_back("PrinterExists " + name);
        return printerAlreadyExists;
    }
    void ClosePrinterHandle(vornapx::PrinterHandle handle) override {
        log.push_back(std::string("ClosePrinter ") +
                      (handle == nullptr ? "null" : handle == &printerToken_ ? "printer" : "?"));
    }
    vornapx::KeyHandle OpenKeyForSetValue(vornapx::RegistryRoot root,
                                          const std::string& subkey) override {
        const std::string path =
            (root == vornapx::RegistryRoot::CurrentUser ? "HKCU\\" : "HKLM\\") + subkey;
        log.push_back("OpenKey " + path);
        if (unopenableRoots.count(root) != 0) return nullptr;
        vornapx::KeyHandle key = &keyTokens_[nextKey_++ % kKeyTokens];
        openKeys[key] = path;
        return key;
    }
    bool SetStringValue(vornapx::KeyHandle key, const std::string& name, const std::string& text,
                        unsigned long byteCount, unsigned long& error) override {
        const auto open = openKeys.find(key);
        const std::string path = open == openKeys.end() ? "?" : open->second;
        log.push_back("SetValue " + path + " " + name + " = " + text + " (" +
                      std::to_string(byteCount) + ")");
        writes.push_back({path, name, text, byteCount});
        const bool refused = open == openKeys.end() || refusedValues.count(name) != 0;
        error = refused ? 5 : 0;
        return !refused;
    }
    void CloseKey(vornapx::KeyHandle key) override {
        const auto open = openKeys.find(key);
        log.push_back("CloseKey " + (open == openKeys.end() ? std::string("?") : open->second));
        if (open != openKeys.end()) openKeys.erase(open);
    }
    std::string ErrorText(unsigned long error) override {
        const auto found = errorTexts.find(error);
        return found == errorTexts.end() ? std::string() : found->second;
    }
    void SetProgress(int position) override {
        log.push_back("Progress " + std::to_string(position));
        progress.push_back(position);
    }
    void Pause(unsigned milliseconds) override {
        log.push_back("Pause " + std::to_string(milliseconds));
    }
    void ShowMessage(const std::string& text, unsigned codePage) override {
        log.push_back("Message " + std::to_string(codePage));
        messages.push_back({text, codePage});
    }

private:
    static constexpr int kKeyTokens = 4;
    // Only their addresses matter: they stand for handles.
    int printerToken_ = 0;
    std::array<int, kKeyTokens> keyTokens_{};
    int nextKey_ = 0;
};

}  // namespace vornapx_test
