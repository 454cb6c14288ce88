// Second page: model, default-printer option, hidden serial settings; owns
// the installation.
#pragma once

#include "framework/Dialog.h"

namespace vornapx {
struct ArchProfile;
}

class CDetailSettingDlg : public fw::Dialog {
public:
    CDetailSettingDlg();

    // Installs the chosen model for the profile from this page's choices and
    // the Select Port page's port; true when driver and printer are in place.
    bool InstallDriver(const vornapx::ArchProfile& profile);

    HICON m_hIcon;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    bool OnMessage(UINT msg, WPARAM w, LPARAM l, INT_PTR& result) override;
    // Every way out but "< &Back" ends the wizard.
    void OnCancel() override { OnOK(); }

private:
    static const fw::CommandEntry<CDetailSettingDlg> kCommands[];
    static const fw::MessageEntry<CDetailSettingDlg> kMessages[];

    void AddAboutMenuItem();
    void FillModelList();
    void OnBack();
    void OnNext();
    void OnExit();
    void OnModelChange();
    void OnPortChange();
    void EnableSerialLists(bool enable);
    bool OnSysCommand(WPARAM w, LPARAM l, INT_PTR& result);
    bool OnPaint(WPARAM w, LPARAM l, INT_PTR& result);
    bool OnQueryDragIcon(WPARAM w, LPARAM l, INT_PTR& result);
};
