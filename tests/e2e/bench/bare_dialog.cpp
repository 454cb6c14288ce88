// The smallest modal dialog program of this toolchain: the yardstick the wizard's start-up
// time is measured against. Its template is built in memory, so no resource compiler is
// needed; it has the wizard's caption style, font and a few buttons.
#include <windows.h>

#include <string>
#include <vector>

namespace {

void Align(std::vector<WORD>& t) {
    if (t.size() % 2 != 0) t.push_back(0);  // DWORD boundary for each item
}

void AddString(std::vector<WORD>& t, const std::wstring& s) {
    t.insert(t.end(), s.begin(), s.end());
    t.push_back(0);
}

void AddDword(std::vector<WORD>& t, DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
}

void AddButton(std::vector<WORD>& t, WORD id, short x, short y, const std::wstring& text) {
    Align(t);
    AddDword(t, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON);
    AddDword(t, 0);
    for (short v : {x, y, short(60), short(16)}) t.push_back(static_cast<WORD>(v));
    t.push_back(id);
    t.push_back(0xFFFF);
    t.push_back(0x0080);  // button class atom
    AddString(t, text);
    t.push_back(0);  // no creation data
}

std::vector<WORD> Template() {
    std::vector<WORD> t;
    AddDword(t, DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
    AddDword(t, 0);
    t.push_back(2);  // items
    for (short v : {short(0), short(0), short(251), short(190)}) t.push_back(static_cast<WORD>(v));
    t.push_back(0);  // no menu
    t.push_back(0);  // default class
    AddString(t, L"Bench Dialog");
    t.push_back(9);
    AddString(t, L"MS Shell Dlg");
    AddButton(t, IDOK, 120, 164, L"OK");
    AddButton(t, IDCANCEL, 185, 164, L"Exit");
    return t;
}

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        ::EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<WORD> t = Template();
    ::DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(t.data()), nullptr, Proc, 0);
    return 0;
}
