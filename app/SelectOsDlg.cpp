#include "app/SelectOsDlg.h"

#include <shellapi.h>

#include <string>

#include "app/Globals.h"
#include "app/WizardFlow.h"
#include "resources/resource.h"

namespace {

std::string CurrentDirectory() {
    const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return std::string();
    std::string dir(needed, '\0');
    const DWORD got = ::GetCurrentDirectoryA(needed, &dir[0]);
    dir.resize(got < needed ? got : 0);
    return dir;
}

void StartPackageProgram(const char* relative) {
    const std::string path = vornapx::PackagePath(CurrentDirectory(), relative);
    // The installer runs on its own; its outcome is not ours to report.
    ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void DetectOsVersion() {
    OSVERSIONINFOEXA ex{};
    ex.dwOSVersionInfoSize = sizeof(ex);
    unsigned platform = 0, major = 0, minor = 0;
    if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex))) {
        platform = ex.dwPlatformId;
        major = ex.dwMajorVersion;
        minor = ex.dwMinorVersion;
    } else {
        OSVERSIONINFOA plain{};
        plain.dwOSVersionInfoSize = sizeof(plain);
        if (!::GetVersionExA(&plain)) return;
        platform = plain.dwPlatformId;
        major = plain.dwMajorVersion;
        minor = plain.dwMinorVersion;
    }
    g_osCode = vornapx::ClassifyOsVersion(platform, major, minor, g_osCode);
}

void LaunchUsbSerialDriverSetup() {
    StartPackageProgram(Is64BitWindows() ? "USB Driver\\x64\\dpinstx64.exe" : "USB Driver\\x86\\dpinstx86.exe");
}

const fw::CommandEntry<CSelectOsDlg> CSelectOsDlg::kCommands[] = {
    {IDC_NEXT, BN_CLICKED, &CSelectOsDlg::OnInstallDriver},
    {IDC_EXIT, BN_CLICKED, &CSelectOsDlg::OnExit},
    {IDC_BACK, BN_CLICKED, &CSelectOsDlg::OnBackNothing},
    {IDC_USB_SERIAL_SETUP, BN_CLICKED, &CSelectOsDlg::OnUsbSerialSetup},
    {IDC_USB_SERIAL_SETUP_X86, BN_CLICKED, &CSelectOsDlg::OnUsbSerialSetupX86},
};

const fw::MessageEntry<CSelectOsDlg> CSelectOsDlg::kMessages[] = {
    {WM_PAINT, &CSelectOsDlg::OnPaint},
};

CSelectOsDlg::CSelectOsDlg() : fw::Dialog(IDD_SELECT_OS) {}

BOOL CSelectOsDlg::OnInitDialog() {
    DetectOsVersion();
    const int radio = vornapx::RadioIdForOsCode(g_osCode);
    if (radio != 0) SendItemMessage(radio, BM_SETCHECK, BST_CHECKED);
    return TRUE;
}

bool CSelectOsDlg::OnCommand(int id, int code) { return fw::DispatchCommand(this, kCommands, id, code); }

bool CSelectOsDlg::OnMessage(UINT msg, WPARAM w, LPARAM l, INT_PTR& result) {
    return fw::DispatchMessage(this, kMessages, msg, w, l, result);
}

void CSelectOsDlg::OnInstallDriver() { OnOK(); }
void CSelectOsDlg::OnExit() { OnCancel(); }
void CSelectOsDlg::OnBackNothing() {}
void CSelectOsDlg::OnUsbSerialSetup() { LaunchUsbSerialDriverSetup(); }
void CSelectOsDlg::OnUsbSerialSetupX86() { StartPackageProgram("USBdriver\\x86\\dpinst.exe"); }

bool CSelectOsDlg::OnPaint(WPARAM, LPARAM, INT_PTR& result) {
    PAINTSTRUCT ps;
    ::BeginPaint(Hwnd(), &ps);
    ::EndPaint(Hwnd(), &ps);
    result = 0;
    return true;
}
