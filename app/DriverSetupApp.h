// The application object: runs the wizard's pages, then lets the process end.
#pragma once

class CDriverSetupApp {
public:
    // Always 0: the process ends once the wizard is over.
    int InitInstance();
};
