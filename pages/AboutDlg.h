// The About box, opened from the Detail Setting page's system menu.
#pragma once

#include "framework/Dialog.h"

class CAboutDlg : public fw::Dialog {
public:
    CAboutDlg();
};
