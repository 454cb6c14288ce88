// Wrappers of the common controls the pages use; each adds a name, not behaviour.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace fw {

class ListView {
public:
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND Hwnd() const { return m_hwnd; }

    DWORD GetExtendedStyle() const {
        return static_cast<DWORD>(::SendMessageA(m_hwnd, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    }
    // Mask 0: the new value replaces every bit.
    void SetExtendedStyle(DWORD style) const {
        ::SendMessageA(m_hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style));
    }
    int InsertColumn(int index, const char* title) const;
    void SetColumnWidth(int column, int width) const {
        ::SendMessageA(m_hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
    }
    int InsertItem(int index, const std::string& text) const;
    void SetItemText(int row, int column, const std::string& text) const;
    void SetItemState(int row, UINT state, UINT mask) const;
    int GetItemCount() const { return static_cast<int>(::SendMessageA(m_hwnd, LVM_GETITEMCOUNT, 0, 0)); }
    UINT GetItemState(int row, UINT mask) const {
        return static_cast<UINT>(::SendMessageA(m_hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
    }
    std::string GetItemText(int row, int column) const;
    void DeleteAllItems() const { ::SendMessageA(m_hwnd, LVM_DELETEALLITEMS, 0, 0); }

private:
    HWND m_hwnd = nullptr;
};

class ProgressBar {
public:
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    void SetRange(int low, int high) const { ::SendMessageA(m_hwnd, PBM_SETRANGE, 0, MAKELPARAM(low, high)); }
    void SetPos(int pos) const { ::SendMessageA(m_hwnd, PBM_SETPOS, static_cast<WPARAM>(pos), 0); }

private:
    HWND m_hwnd = nullptr;
};

}  // namespace fw
