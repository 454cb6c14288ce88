/* Stand-in for the Driver Package Installer: leaves "<own file name>.ran"
   next to itself (its command line and current directory) and says what it
   stands for. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR cmdLine, int show) {
    (void)instance;
    (void)previous;
    (void)show;
    DWORD size = 512;
    WCHAR* path = NULL;
    for (;;) {
        path = (WCHAR*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (size + 8) * sizeof(WCHAR));
        if (path == NULL) return 1;
        DWORD got = GetModuleFileNameW(NULL, path, size);
        if (got == 0) return 1;
        if (got < size) break;
        HeapFree(GetProcessHeap(), 0, path);
        size *= 2;
    }
    const WCHAR* name = path;
    for (const WCHAR* p = path; *p; ++p)
        if (*p == L'\\') name = p + 1;
    WCHAR* title = (WCHAR*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (lstrlenW(name) + 1) * sizeof(WCHAR));
    if (title == NULL) return 1;
    lstrcpyW(title, name);
    lstrcatW(path, L".ran"); /* the buffer has room for the suffix */
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, cmdLine, (DWORD)(lstrlenW(cmdLine) * sizeof(WCHAR)), &written, NULL);
        CloseHandle(file);
    }
    MessageBoxW(NULL, L"Stand-in for the USB virtual serial port driver installer.", title, MB_OK);
    HeapFree(GetProcessHeap(), 0, title);
    HeapFree(GetProcessHeap(), 0, path);
    return 0;
}
