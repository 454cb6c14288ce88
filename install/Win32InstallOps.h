// The installation routine's operations done for real on Windows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "install/InstallRoutine.h"

namespace vornapx {

class RegKey;

class Win32InstallOps : public InstallOps {
public:
    // setProgress moves the Select Port page's progress bar.
    explicit Win32InstallOps(std::function<void(int)> setProgress);
    ~Win32InstallOps() override;
    Win32InstallOps(const Win32InstallOps&) = delete;
    Win32InstallOps& operator=(const Win32InstallOps&) = delete;

    bool DriverDirectory(const std::string& environment, std::string& directory,
                         unsigned long& error) override;
    bool FileExists(const std::string& path) override;
    bool CopyReplacing(const std::string& source, const std::string& destination,
                       unsigned long& error) override;
    bool RegisterDriver(const DriverRecord& record, unsigned long& error) override;
    PrinterHandle CreatePrinter(const PrinterRecord& record, unsigned long& error) override;
    bool PrinterExists(const std::string& name) override;
    void ClosePrinterHandle(PrinterHandle handle) override;
    KeyHandle OpenKeyForSetValue(RegistryRoot root, const std::string& subkey) override;
    bool SetStringValue(KeyHandle key, const std::string& name, const std::string& text,
                        unsigned long byteCount, unsigned long& error) override;
    void CloseKey(KeyHandle key) override;
    std::string ErrorText(unsigned long error) override;
    void SetProgress(int position) override;
    void Pause(unsigned milliseconds) override;
    void ShowMessage(const std::string& text, unsigned codePage) override;

private:
    std::function<void(int)> setProgress_;
    // Keys the routine has open; any still open are closed with this object.
    std::map<KeyHandle, std::unique_ptr<RegKey>> openKeys_;
};

}  // namespace vornapx
