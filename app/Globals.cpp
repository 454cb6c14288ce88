#include "app/Globals.h"

#include <windows.h>

vornapx::OsCode g_osCode = 0;
std::string g_chosenPort;
CDetailSettingDlg* g_pDetailDlg = nullptr;
CSelectPortDlg* g_pSelectPortDlg = nullptr;

bool IsWow64() {
    // Looked up at run time: Windows 2000 and early XP lack the function.
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = ::GetModuleHandleA("kernel32");
    if (kernel == nullptr) return false;
    auto fn = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "IsWow64Process")));
    if (fn == nullptr) return false;
    BOOL flag = FALSE;
    fn(::GetCurrentProcess(), &flag);
    return flag == 1;
}
