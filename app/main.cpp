#include <windows.h>

#include "app/DriverSetupApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CDriverSetupApp app;
    app.InitInstance();
    return 0;
}
