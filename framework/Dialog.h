// Thin modal-dialog base standing in for the class library the pages were
// designed around: one object per template, a handler table per class.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace fw {

class Dialog {
public:
    explicit Dialog(int templateId) : m_templateId(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally over the active page, if any; IDOK, IDCANCEL,
    // or -1 when the template cannot be created.
    INT_PTR DoModal();

    HWND Hwnd() const { return m_hwnd; }
    HWND GetItem(int id) const { return ::GetDlgItem(m_hwnd, id); }
    LRESULT SendItemMessage(int id, UINT msg, WPARAM w = 0, LPARAM l = 0) const {
        return ::SendDlgItemMessageA(m_hwnd, id, msg, w, l);
    }
    void EnableItem(int id, bool enable) const { ::EnableWindow(GetItem(id), enable ? TRUE : FALSE); }
    void CheckButton(int id, bool checked) const {
        ::CheckDlgButton(m_hwnd, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    UINT ButtonState(int id) const { return ::IsDlgButtonChecked(m_hwnd, id); }
    void SetItemTextA(int id, const std::string& text) const { ::SetDlgItemTextA(m_hwnd, id, text.c_str()); }
    int ComboSelection(int id) const { return static_cast<int>(SendItemMessage(id, CB_GETCURSEL)); }

    // The class library's default actions.
    void EndDialog(INT_PTR result) { ::EndDialog(m_hwnd, result); }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Per-class handler tables; true when the table had an entry.
    virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
    virtual bool OnMessage(UINT /*msg*/, WPARAM, LPARAM, INT_PTR& /*result*/) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Adds the list items that travel with the template (RT_DLGINIT).
    void ExecuteDlgInit();

    int m_templateId;
    HWND m_hwnd = nullptr;
};

// One row of a class's command table: control id, notification, handler.
template <class T>
struct CommandEntry {
    int id;
    int code;
    void (T::*handler)();
};

// One row of a class's message table; the handler returns false to leave the
// message to the default dialog handling.
template <class T>
struct MessageEntry {
    UINT message;
    bool (T::*handler)(WPARAM, LPARAM, INT_PTR& result);
};

template <class T, std::size_t N>
bool DispatchCommand(T* self, const CommandEntry<T> (&table)[N], int id, int code) {
    for (const CommandEntry<T>& e : table) {
        if (e.id == id && e.code == code) {
            (self->*e.handler)();
            return true;
        }
    }
    return false;
}

template <class T, std::size_t N>
bool DispatchMessage(T* self, const MessageEntry<T> (&table)[N], UINT msg, WPARAM w, LPARAM l,
                     INT_PTR& result) {
    for (const MessageEntry<T>& e : table) {
        if (e.message == msg) return (self->*e.handler)(w, l, result);
    }
    return false;
}

HINSTANCE AppInstance();

}  // namespace fw
