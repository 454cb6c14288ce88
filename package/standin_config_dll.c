/* Stand-in for the driver's user-interface module (the record's configuration
   file). The spooler loads it when a printer is created and asks it for the
   printer's default DEVMODE, so it answers that much like a real one. */
#include <windows.h>

__declspec(dllexport) const char VornapxStandIn[] = "VORNAPX stand-in " STANDIN_NAME " (" STANDIN_ARCH ")";

/* The published layout of the header the spooler passes without a property sheet. */
typedef struct {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD cbOut;
    DWORD fMode;
} StandInDocumentPropertyHeader;

__declspec(dllexport) LONG WINAPI DrvDocumentPropertySheets(void* sheetInfo, LPARAM lParam) {
    StandInDocumentPropertyHeader* header = (StandInDocumentPropertyHeader*)lParam;
    if (sheetInfo != NULL || header == NULL) return -1;
    if (header->fMode == 0 || header->pdmOut == NULL) {
        header->cbOut = sizeof(DEVMODEW);
        return (LONG)header->cbOut;
    }
    DEVMODEW* dm = header->pdmOut;
    ZeroMemory(dm, sizeof(*dm));
    if (header->pszPrinterName != NULL) lstrcpynW(dm->dmDeviceName, header->pszPrinterName, CCHDEVICENAME);
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmSize = sizeof(*dm);
    dm->dmFields = DM_ORIENTATION | DM_COPIES;
    dm->dmOrientation = DMORIENT_PORTRAIT;
    dm->dmCopies = 1;
    return IDOK;
}

__declspec(dllexport) DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, LPWSTR device, WORD capability,
                                                         void* output, DEVMODEW* devmode) {
    (void)printer;
    (void)device;
    (void)capability;
    (void)output;
    (void)devmode;
    return 0; /* no capability lists of its own */
}

__declspec(dllexport) BOOL WINAPI DrvPrinterEvent(LPWSTR printer, INT event, DWORD flags, LPARAM lParam) {
    (void)printer;
    (void)event;
    (void)flags;
    (void)lParam;
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI DrvDriverEvent(DWORD event, DWORD level, LPBYTE info, LPARAM lParam) {
    (void)event;
    (void)level;
    (void)info;
    (void)lParam;
    return TRUE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
