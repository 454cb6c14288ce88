#include "pages/DetailSettingDlg.h"

#include <memory>

#include "app/Globals.h"
#include "catalogue/Descrambler.h"
#include "catalogue/ModelCatalogue.h"
#include "framework/AppMessage.h"
#include "install/InstallRoutine.h"
#include "install/Win32InstallOps.h"
#include "pages/AboutDlg.h"
#include "pages/SelectPortDlg.h"
#include "resources/resource.h"

namespace {

const int kSerialLists[] = {IDC_BAUD_RATE, IDC_DATA_BITS, IDC_STOP_BITS, IDC_PARITY, IDC_FLOW_CONTROL};

}  // namespace

const fw::CommandEntry<CDetailSettingDlg> CDetailSettingDlg::kCommands[] = {
    {IDC_BACK, BN_CLICKED, &CDetailSettingDlg::OnBack},
    {IDC_NEXT, BN_CLICKED, &CDetailSettingDlg::OnNext},
    {IDC_EXIT, BN_CLICKED, &CDetailSettingDlg::OnExit},
    {IDC_MODEL_LIST, CBN_SELCHANGE, &CDetailSettingDlg::OnModelChange},
    {IDC_PORT_LIST, CBN_SELCHANGE, &CDetailSettingDlg::OnPortChange},
};

const fw::MessageEntry<CDetailSettingDlg> CDetailSettingDlg::kMessages[] = {
    {WM_SYSCOMMAND, &CDetailSettingDlg::OnSysCommand},
    {WM_PAINT, &CDetailSettingDlg::OnPaint},
    {WM_QUERYDRAGICON, &CDetailSettingDlg::OnQueryDragIcon},
};

CDetailSettingDlg::CDetailSettingDlg()
    : fw::Dialog(IDD_DETAIL_SETTING), m_hIcon(::LoadIconW(fw::AppInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

bool CDetailSettingDlg::OnCommand(int id, int code) { return fw::DispatchCommand(this, kCommands, id, code); }

bool CDetailSettingDlg::OnMessage(UINT msg, WPARAM w, LPARAM l, INT_PTR& result) {
    return fw::DispatchMessage(this, kMessages, msg, w, l, result);
}

BOOL CDetailSettingDlg::OnInitDialog() {
    AddAboutMenuItem();
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    FillModelList();
    SendItemMessage(IDC_MODEL_LIST, CB_SETCURSEL, 0);
    CheckButton(IDC_SET_DEFAULT, true);
    const vornapx::ScrambledName& initial = vornapx::InitialPrinterName();
    SetItemTextA(IDC_PRINTER_NAME, vornapx::DescrambleName(initial.letters, initial.key));
    SendItemMessage(IDC_PORT_LIST, CB_SETCURSEL, 0);
    SendItemMessage(IDC_BAUD_RATE, CB_SETCURSEL, 5);
    SendItemMessage(IDC_DATA_BITS, CB_SETCURSEL, 3);
    SendItemMessage(IDC_STOP_BITS, CB_SETCURSEL, 0);
    SendItemMessage(IDC_PARITY, CB_SETCURSEL, 2);
    SendItemMessage(IDC_FLOW_CONTROL, CB_SETCURSEL, 2);
    EnableSerialLists(false);
    g_pDetailDlg = this;
    return TRUE;
}

void CDetailSettingDlg::AddAboutMenuItem() {
    HMENU menu = ::GetSystemMenu(Hwnd(), FALSE);
    if (menu == nullptr) return;
    // 16-bit text straight from the string table, so the Chinese reads right
    // whatever the system's 8-bit code page.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(fw::AppInstance(), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return;
    const std::wstring item(text, static_cast<std::size_t>(length));
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, item.c_str());
}

void CDetailSettingDlg::FillModelList() {
    SendItemMessage(IDC_MODEL_LIST, CB_RESETCONTENT);
    for (int i = 0; i < vornapx::kModelCount; ++i) {
        const std::string name = vornapx::DisplayName(*vornapx::FindModelRow(i));
        SendItemMessage(IDC_MODEL_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

void CDetailSettingDlg::EnableSerialLists(bool enable) {
    for (int id : kSerialLists) EnableItem(id, enable);
}

void CDetailSettingDlg::OnBack() { fw::Dialog::OnCancel(); }
void CDetailSettingDlg::OnExit() { OnCancel(); }

void CDetailSettingDlg::OnModelChange() {
    const vornapx::ModelRow* row = vornapx::FindModelRow(ComboSelection(IDC_MODEL_LIST));
    if (row != nullptr) SetItemTextA(IDC_PRINTER_NAME, vornapx::DisplayName(*row));
}

void CDetailSettingDlg::OnPortChange() { EnableSerialLists(ComboSelection(IDC_PORT_LIST) > 2); }

void CDetailSettingDlg::OnNext() {
    auto page = std::make_unique<CSelectPortDlg>();
    g_pSelectPortDlg = page.get();
    const INT_PTR result = page->DoModal();
    if (result == IDCANCEL) return;
    g_chosenPort = page->m_strPort;
    // A failed installation has already said why; "Completed!" would be untrue.
    if (page->Installed() && vornapx::IsNtFamily(g_osCode)) fw::ShowAppMessage(L"Completed!");
    OnOK();
}

bool CDetailSettingDlg::InstallDriver(const vornapx::ArchProfile& profile) {
    vornapx::InstallInputs inputs;
    inputs.port = g_pSelectPortDlg != nullptr ? g_pSelectPortDlg->m_strPort : std::string();
    g_chosenPort = inputs.port;
    inputs.modelIndex = ComboSelection(IDC_MODEL_LIST);
    inputs.portListIndex = ComboSelection(IDC_PORT_LIST);
    inputs.setDefault = ButtonState(IDC_SET_DEFAULT) == BST_CHECKED;
    inputs.baud = ComboSelection(IDC_BAUD_RATE);
    inputs.dataBits = ComboSelection(IDC_DATA_BITS);
    inputs.stopBits = ComboSelection(IDC_STOP_BITS);
    inputs.parity = ComboSelection(IDC_PARITY);
    inputs.flow = ComboSelection(IDC_FLOW_CONTROL);
    CSelectPortDlg* portPage = g_pSelectPortDlg;
    vornapx::Win32InstallOps ops([portPage](int position) {
        if (portPage != nullptr) portPage->SetProgress(position);
    });
    return vornapx::RunInstallation(profile, inputs, ops);
}

bool CDetailSettingDlg::OnSysCommand(WPARAM w, LPARAM, INT_PTR& result) {
    if ((w & 0xFFF0) != IDM_ABOUTBOX) return false;
    CAboutDlg about;
    about.DoModal();
    result = 0;
    return true;
}

bool CDetailSettingDlg::OnPaint(WPARAM, LPARAM, INT_PTR& result) {
    if (!::IsIconic(Hwnd())) return false;
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Hwnd(), &ps);
    ::SendMessageW(Hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    ::GetClientRect(Hwnd(), &rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(dc, x, y, m_hIcon);
    ::EndPaint(Hwnd(), &ps);
    result = 0;
    return true;
}

bool CDetailSettingDlg::OnQueryDragIcon(WPARAM, LPARAM, INT_PTR& result) {
    result = reinterpret_cast<INT_PTR>(m_hIcon);
    return true;
}
