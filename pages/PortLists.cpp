#include "pages/PortLists.h"

namespace vornapx {

namespace {

bool HasPrefix4(const std::string& name, const char* prefix) {
    // The first four characters, or the whole name when it is shorter.
    return name.compare(0, 4, prefix) == 0;
}

}  // namespace

std::vector<PortRow> BuildPortRows(const std::vector<std::pair<std::string, std::string>>& ports) {
    std::vector<PortRow> rows;
    const std::size_t count = ports.size() < kMaxPortRows ? ports.size() : kMaxPortRows;
    rows.reserve(count);
    for (std::size_t i = 0; i < count; ++i) rows.push_back(PortRow{ports[i].first, ports[i].second});
    return rows;
}

std::optional<int> ChoosePreselectedRow(const std::vector<std::string>& names) {
    int com1 = 0, lpt1 = 0, file = 0;
    const int count = static_cast<int>(names.size());
    for (int i = 0; i < count && i < kMaxPortRows; ++i) {
        const std::string& name = names[static_cast<std::size_t>(i)];
        if (HasPrefix4(name, "COM1")) com1 = i;
        else if (HasPrefix4(name, "LPT1")) lpt1 = i;
        else if (HasPrefix4(name, "FILE")) file = i;
    }
    if (lpt1 > 0) return lpt1;
    if (com1 > 0) return com1;
    if (file > 0) return file;
    return std::nullopt;
}

std::optional<int> FirstSelectedRow(const ReportList& list) {
    if (list.ItemCount() <= 0) return std::nullopt;
    for (int row = 0; row < list.ItemCount(); ++row) {
        if (list.IsSelected(row)) return row;
    }
    return std::nullopt;
}

unsigned PageListStyle(unsigned current) {
    return (current & ~kExTrackSelect) | kExGridLines | kExFullRowSelect;
}

void FillPortList(const std::vector<std::pair<std::string, std::string>>& ports, bool firstFill,
                  ReportList& list, DebugOutput& debug) {
    list.SetExtendedStyle(PageListStyle(list.GetExtendedStyle()));
    if (firstFill) {
        list.InsertColumn(0, "Port");
        list.InsertColumn(1, "Type");
        list.SetColumnWidth(0, 150);
        list.SetColumnWidth(1, 280);
    }
    const std::vector<PortRow> rows = BuildPortRows(ports);
    if (rows.empty()) return;
    std::vector<std::string> names;
    names.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int index = static_cast<int>(i);
        debug.Write(rows[i].name + "\n");
        list.InsertItem(index, rows[i].name);
        list.SetItemText(index, 1, rows[i].type);
        names.push_back(rows[i].name);
    }
    if (const std::optional<int> row = ChoosePreselectedRow(names)) list.SelectRow(*row);
}

void FillMonitorList(const std::vector<MonitorName>& monitors, ReportList& list, DebugOutput& debug) {
    list.SetExtendedStyle(PageListStyle(list.GetExtendedStyle()));
    list.InsertColumn(0, "Available Port Type");
    list.SetColumnWidth(0, 340);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (!monitors[i].hasName) continue;
        debug.Write(monitors[i].name + "\n");
        // An index past the current row count appends, so rows stay in order without gaps.
        list.InsertItem(static_cast<int>(i), monitors[i].name);
    }
    list.SelectRow(0);
}

}  // namespace vornapx
