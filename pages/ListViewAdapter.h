// Binds the pages' list logic to a real list view and to the debugger output.
#pragma once

#include <windows.h>

#include "framework/Controls.h"
#include "pages/PortLists.h"

class ListViewAdapter : public vornapx::ReportList {
public:
    explicit ListViewAdapter(const fw::ListView& list) : m_list(list) {}
    unsigned GetExtendedStyle() const override { return m_list.GetExtendedStyle(); }
    void SetExtendedStyle(unsigned style) override { m_list.SetExtendedStyle(style); }
    void InsertColumn(int index, const std::string& title) override { m_list.InsertColumn(index, title.c_str()); }
    void SetColumnWidth(int column, int width) override { m_list.SetColumnWidth(column, width); }
    void InsertItem(int index, const std::string& text) override { m_list.InsertItem(index, text); }
    void SetItemText(int row, int column, const std::string& text) override { m_list.SetItemText(row, column, text); }
    void SelectRow(int row) override { m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED | LVIS_FOCUSED); }
    int ItemCount() const override { return m_list.GetItemCount(); }
    bool IsSelected(int row) const override { return m_list.GetItemState(row, LVIS_SELECTED) == LVIS_SELECTED; }
    std::string ItemText(int row, int column) const override { return m_list.GetItemText(row, column); }
    void DeleteAllItems() override { m_list.DeleteAllItems(); }

private:
    const fw::ListView& m_list;
};

class DebuggerOutput : public vornapx::DebugOutput {
public:
    void Write(const std::string& line) override { ::OutputDebugStringA(line.c_str()); }
};
