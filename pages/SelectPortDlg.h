// Third page: choose, create or configure a port, then install.
#pragma once

#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CSelectPortDlg : public fw::Dialog {
public:
    CSelectPortDlg();

    // Moves the progress bar (range 0..100).
    void SetProgress(int position);
    // True when "&Install" ran and the installation succeeded.
    bool Installed() const { return m_installed; }

    std::string m_strPort;
    fw::ProgressBar m_progress;
    fw::ListView m_listPorts;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code) override;
    // Enter gives the dialog's OK command; it must not install by accident.
    void OnOK() override {}

private:
    static const fw::CommandEntry<CSelectPortDlg> kCommands[];

    void FillPortList(bool firstFill);
    void OnCreatePort();
    void OnConfigurePort();
    void OnInstall();
    void OnBack();
    void OnCancelButton();

    bool m_installed = false;
};
