#include "framework/Controls.h"

#include <vector>

namespace fw {

int ListView::InsertColumn(int index, const char* title) const {
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = const_cast<char*>(title);
    return static_cast<int>(
        ::SendMessageA(m_hwnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

int ListView::InsertItem(int index, const std::string& text) const {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<char*>(text.c_str());
    return static_cast<int>(::SendMessageA(m_hwnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetItemText(int row, int column, const std::string& text) const {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(m_hwnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void ListView::SetItemState(int row, UINT state, UINT mask) const {
    LVITEMA item{};
    item.state = state;
    item.stateMask = mask;
    ::SendMessageA(m_hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string ListView::GetItemText(int row, int column) const {
    // The control copies at most the buffer size; grow until the text fits.
    std::vector<char> buffer(256);
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<std::size_t>(
            ::SendMessageA(m_hwnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size()) return std::string(buffer.data(), length);
        if (buffer.size() >= (1u << 20)) return std::string(buffer.data(), buffer.size() - 1);
        buffer.resize(buffer.size() * 4);
    }
}

}  // namespace fw
