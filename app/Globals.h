// Process-wide state of the wizard, alive for the whole run.
#pragma once

#include <string>

#include "app/OsVersion.h"

class CDetailSettingDlg;
class CSelectPortDlg;

extern vornapx::OsCode g_osCode;
extern std::string g_chosenPort;
// Valid only while the page is open.
extern CDetailSettingDlg* g_pDetailDlg;
extern CSelectPortDlg* g_pSelectPortDlg;

// True when this 32-bit process runs on 64-bit Windows (WOW64).
bool IsWow64();

// True on 64-bit Windows: WOW64 for the shipped 32-bit program; always for a
// 64-bit build of it (made for hosts that cannot run 32-bit code).
inline bool Is64BitWindows() { return sizeof(void*) == 8 || IsWow64(); }
