#include "pages/SelectPortDlg.h"

#include <memory>

#include "app/Globals.h"
#include "install/ArchProfile.h"
#include "pages/CreatePortDlg.h"
#include "pages/DetailSettingDlg.h"
#include "pages/ListViewAdapter.h"
#include "resources/resource.h"
#include "spooler/Spooler.h"

const fw::CommandEntry<CSelectPortDlg> CSelectPortDlg::kCommands[] = {
    {IDC_CREATE_PORT, BN_CLICKED, &CSelectPortDlg::OnCreatePort},
    {IDC_CONFIGURE_PORT, BN_CLICKED, &CSelectPortDlg::OnConfigurePort},
    {IDC_PORT_BACK, BN_CLICKED, &CSelectPortDlg::OnBack},
    {IDC_INSTALL, BN_CLICKED, &CSelectPortDlg::OnInstall},
    {IDC_PORT_CANCEL, BN_CLICKED, &CSelectPortDlg::OnCancelButton},
};

CSelectPortDlg::CSelectPortDlg() : fw::Dialog(IDD_SELECT_PORT) {}

bool CSelectPortDlg::OnCommand(int id, int code) { return fw::DispatchCommand(this, kCommands, id, code); }

BOOL CSelectPortDlg::OnInitDialog() {
    m_progress.Attach(GetItem(IDC_PROGRESS));
    m_listPorts.Attach(GetItem(IDC_LIST));
    FillPortList(true);
    m_progress.SetRange(0, 100);
    m_progress.SetPos(0);
    return TRUE;
}

void CSelectPortDlg::SetProgress(int position) { m_progress.SetPos(position); }

void CSelectPortDlg::FillPortList(bool firstFill) {
    std::vector<std::pair<std::string, std::string>> ports;
    for (vornapx::PortEntry& p : vornapx::EnumPortsLevel2()) ports.emplace_back(std::move(p.name), std::move(p.description));
    ListViewAdapter list(m_listPorts);
    DebuggerOutput debug;
    vornapx::FillPortList(ports, firstFill, list, debug);
}

void CSelectPortDlg::OnCreatePort() {
    auto dialog = std::make_unique<CCreatePortDlg>();
    dialog->DoModal();  // however it ended, the ports are listed anew
    m_listPorts.DeleteAllItems();
    FillPortList(false);
}

void CSelectPortDlg::OnConfigurePort() {
    ListViewAdapter list(m_listPorts);
    const std::optional<int> row = vornapx::FirstSelectedRow(list);
    if (!row) return;
    // The monitor shows its own dialog and messages; nothing to report here.
    vornapx::ConfigurePortDialog(Hwnd(), m_listPorts.GetItemText(*row, 0));
}

void CSelectPortDlg::OnInstall() {
    ListViewAdapter list(m_listPorts);
    if (const std::optional<int> row = vornapx::FirstSelectedRow(list)) m_strPort = m_listPorts.GetItemText(*row, 0);
    const vornapx::ArchProfile& profile = Is64BitWindows() ? vornapx::X64Profile() : vornapx::X86Profile();
    if (g_pDetailDlg != nullptr) m_installed = g_pDetailDlg->InstallDriver(profile);
    EndDialog(IDOK);
}

void CSelectPortDlg::OnBack() { OnCancel(); }
void CSelectPortDlg::OnCancelButton() { OnCancel(); }
