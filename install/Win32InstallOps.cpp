#include "install/Win32InstallOps.h"

#include <windows.h>

#include <utility>

#include "framework/AppMessage.h"
#include "spooler/Spooler.h"

namespace vornapx {

// An open registry key, closed when the object goes.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Returns the system's error code (ERROR_SUCCESS when open).
    LONG Open(HKEY root, const std::string& subkey, REGSAM access) {
        Close();
        return ::RegOpenKeyExA(root, subkey.c_str(), 0, access, &key_);
    }
    LONG SetString(const std::string& name, const std::string& text, DWORD byteCount) {
        return ::RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()), byteCount);
    }
    LONG Close() {
        if (key_ == nullptr) return ERROR_SUCCESS;
        const LONG result = ::RegCloseKey(key_);
        key_ = nullptr;
        return result;
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

Win32InstallOps::Win32InstallOps(std::function<void(int)> setProgress)
    : setProgress_(std::move(setProgress)) {}

Win32InstallOps::~Win32InstallOps() = default;

bool Win32InstallOps::DriverDirectory(const std::string& environment, std::string& directory,
                                      unsigned long& error) {
    error = 0;
    directory = GetDriverDirectory(environment, &error);
    return !directory.empty() || error == 0;
}

bool Win32InstallOps::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32InstallOps::CopyReplacing(const std::string& source, const std::string& destination,
                                    unsigned long& error) {
    error = 0;
    if (::CopyFileA(source.c_str(), destination.c_str(), FALSE)) return true;
    error = ::GetLastError();
    return false;
}

bool Win32InstallOps::RegisterDriver(const DriverRecord& record, unsigned long& error) {
    return AddPrinterDriverLevel3(record, &error);
}

PrinterHandle Win32InstallOps::CreatePrinter(const PrinterRecord& record, unsigned long& error) {
    return AddPrinterLevel2(record, &error);
}

bool Win32InstallOps::PrinterExists(const std::string& name) { return vornapx::PrinterExists(name); }

void Win32InstallOps::ClosePrinterHandle(PrinterHandle handle) {
    vornapx::ClosePrinterHandle(handle);
}

KeyHandle Win32InstallOps::OpenKeyForSetValue(RegistryRoot root, const std::string& subkey) {
    const HKEY rootKey = root == RegistryRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    std::unique_ptr<RegKey> key(new RegKey());
    if (key->Open(rootKey, subkey, KEY_SET_VALUE) != ERROR_SUCCESS) return nullptr;
    const KeyHandle handle = key->Get();
    openKeys_[handle] = std::move(key);
    return handle;
}

bool Win32InstallOps::SetStringValue(KeyHandle key, const std::string& name,
                                     const std::string& text, unsigned long byteCount,
                                     unsigned long& error) {
    const auto open = openKeys_.find(key);
    // Never let the system read past the text and its NUL.
    if (open == openKeys_.end() || byteCount > text.size() + 1) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    error = static_cast<unsigned long>(open->second->SetString(name, text, byteCount));
    return error == ERROR_SUCCESS;
}

void Win32InstallOps::CloseKey(KeyHandle key) { openKeys_.erase(key); }

std::string Win32InstallOps::ErrorText(unsigned long error) {
    LPSTR buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) ::LocalFree(buffer);
    // The system's texts end in a line break.
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

void Win32InstallOps::SetProgress(int position) {
    if (setProgress_) setProgress_(position);
}

void Win32InstallOps::Pause(unsigned milliseconds) { ::Sleep(milliseconds); }

void Win32InstallOps::ShowMessage(const std::string& text, unsigned codePage) {
    fw::ShowAppMessage(fw::WideFromCodePage(text, codePage));
}

}  // namespace vornapx
