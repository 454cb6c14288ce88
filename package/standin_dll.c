/* Stand-in for a driver module of the package: a valid DLL that names the
   file it stands for, so a test can tell which file landed where. */
#include <windows.h>

__declspec(dllexport) const char VornapxStandIn[] = "VORNAPX stand-in " STANDIN_NAME " (" STANDIN_ARCH ")";

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
