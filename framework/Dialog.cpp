#include "framework/Dialog.h"

#include <cstring>

namespace fw {

HINSTANCE AppInstance() { return ::GetModuleHandleW(nullptr); }

INT_PTR Dialog::DoModal() {
    // Made without a parent, but owned by the page it opens over (as the class
    // library did), so that page is disabled until this one ends.
    HWND owner = ::GetActiveWindow();
    return ::DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(m_templateId), owner, &Dialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    // No exception may cross into the window manager.
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        ::EndDialog(hwnd, -1);
        return TRUE;
    }
}

INT_PTR Dialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    INT_PTR result = 0;
    if (msg == WM_INITDIALOG) {
        ExecuteDlgInit();
        return OnInitDialog();
    }
    if (OnMessage(msg, wParam, lParam, result)) {
        // A few messages return their answer directly from the dialog procedure.
        if (msg == WM_QUERYDRAGICON) return result;
        ::SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (msg == WM_COMMAND) {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (OnCommand(id, code)) return TRUE;
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

void Dialog::ExecuteDlgInit() {
    // Layout of each record: control id (WORD), 16-bit message (WORD),
    // data length (DWORD), data; a zero id ends the list.
    HRSRC res = ::FindResourceW(AppInstance(), MAKEINTRESOURCEW(m_templateId), MAKEINTRESOURCEW(240));
    if (res == nullptr) return;
    HGLOBAL loaded = ::LoadResource(AppInstance(), res);
    const DWORD size = ::SizeofResource(AppInstance(), res);
    const auto* data = static_cast<const unsigned char*>(::LockResource(loaded));
    if (data == nullptr) return;
    DWORD pos = 0;
    while (pos + 8 <= size) {
        WORD id = 0, message = 0;
        DWORD length = 0;
        std::memcpy(&id, data + pos, 2);
        std::memcpy(&message, data + pos + 2, 2);
        std::memcpy(&length, data + pos + 4, 4);
        pos += 8;
        if (id == 0 || length > size - pos) break;
        const std::string item(reinterpret_cast<const char*>(data + pos), length);
        pos += length;
        constexpr WORD kWin16ComboAddString = 0x0403;
        constexpr WORD kWin16ListAddString = 0x0401;
        UINT msg = 0;
        if (message == kWin16ComboAddString) msg = CB_ADDSTRING;
        else if (message == kWin16ListAddString) msg = LB_ADDSTRING;
        else continue;
        SendItemMessage(id, msg, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
}

}  // namespace fw
