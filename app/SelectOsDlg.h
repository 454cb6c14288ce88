// First page: shows the detected Windows version.
#pragma once

#include "framework/Dialog.h"

class CSelectOsDlg : public fw::Dialog {
public:
    CSelectOsDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    bool OnMessage(UINT msg, WPARAM w, LPARAM l, INT_PTR& result) override;

private:
    static const fw::CommandEntry<CSelectOsDlg> kCommands[];
    static const fw::MessageEntry<CSelectOsDlg> kMessages[];

    void OnInstallDriver();
    void OnExit();
    void OnBackNothing();
    void OnUsbSerialSetup();
    void OnUsbSerialSetupX86();
    bool OnPaint(WPARAM, LPARAM, INT_PTR& result);
};

// Classifies the running Windows into g_osCode; a failed query keeps it.
void DetectOsVersion();

// Starts the package's DPInst for the process's architecture.
void LaunchUsbSerialDriverSetup();
