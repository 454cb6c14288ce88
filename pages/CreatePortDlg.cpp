#include "pages/CreatePortDlg.h"

#include "pages/ListViewAdapter.h"
#include "resources/resource.h"
#include "spooler/Spooler.h"

const fw::CommandEntry<CCreatePortDlg> CCreatePortDlg::kCommands[] = {
    {IDC_NEW_PORT, BN_CLICKED, &CCreatePortDlg::OnNewPort},
    {IDC_CLOSE, BN_CLICKED, &CCreatePortDlg::OnClose},
};

CCreatePortDlg::CCreatePortDlg() : fw::Dialog(IDD_CREATE_PORT) {}

bool CCreatePortDlg::OnCommand(int id, int code) { return fw::DispatchCommand(this, kCommands, id, code); }

BOOL CCreatePortDlg::OnInitDialog() {
    m_listMonitors.Attach(GetItem(IDC_LIST));
    std::vector<vornapx::MonitorName> monitors;
    for (const vornapx::MonitorEntry& m : vornapx::EnumMonitorsLevel1()) monitors.push_back({m.hasName, m.name});
    ListViewAdapter list(m_listMonitors);
    DebuggerOutput debug;
    vornapx::FillMonitorList(monitors, list, debug);
    return TRUE;
}

void CCreatePortDlg::OnNewPort() {
    ListViewAdapter list(m_listMonitors);
    const std::optional<int> row = vornapx::FirstSelectedRow(list);
    if (!row) return;
    // The monitor's own dialog reports its errors; the list stays as it is.
    vornapx::AddPortDialog(Hwnd(), m_listMonitors.GetItemText(*row, 0));
}

void CCreatePortDlg::OnClose() { OnCancel(); }
