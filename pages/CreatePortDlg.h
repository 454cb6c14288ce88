// Lists the spooler's port monitors and adds a port through the chosen one.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CCreatePortDlg : public fw::Dialog {
public:
    CCreatePortDlg();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code) override;

private:
    static const fw::CommandEntry<CCreatePortDlg> kCommands[];

    void OnNewPort();
    void OnClose();

    fw::ListView m_listMonitors;
};
