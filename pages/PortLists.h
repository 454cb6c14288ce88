// What the Select Port page and the Create Port dialog decide about their
// lists, written against the list operations they need so it runs without
// the Windows controls.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vornapx {

constexpr int kMaxPortRows = 256;

constexpr unsigned kExGridLines = 0x01;     // LVS_EX_GRIDLINES
constexpr unsigned kExTrackSelect = 0x08;   // LVS_EX_TRACKSELECT
constexpr unsigned kExFullRowSelect = 0x20; // LVS_EX_FULLROWSELECT

struct PortRow {
    std::string name;  // column 0, "Port"
    std::string type;  // column 1, "Type"
};

// A monitor entry as enumerated; entries without a name are not listed.
struct MonitorName {
    bool hasName;
    std::string name;
};

// The operations of a report-view list that the pages use.
class ReportList {
public:
    virtual ~ReportList() = default;
    virtual unsigned GetExtendedStyle() const = 0;
    virtual void SetExtendedStyle(unsigned style) = 0;
    virtual void InsertColumn(int index, const std::string& title) = 0;
    virtual void SetColumnWidth(int column, int width) = 0;
    virtual void InsertItem(int index, const std::string& text) = 0;
    virtual void SetItemText(int row, int column, const std::string& text) = 0;
    // Selected set and focused cleared, in one state change; no scrolling.
    virtual void SelectRow(int row) = 0;
    virtual int ItemCount() const = 0;
    virtual bool IsSelected(int row) const = 0;
    virtual std::string ItemText(int row, int column) const = 0;
    virtual void DeleteAllItems() = 0;
};

class DebugOutput {
public:
    virtual ~DebugOutput() = default;
    virtual void Write(const std::string& line) = 0;
};

// The first 256 (name, description) pairs, in enumeration order.
std::vector<PortRow> BuildPortRows(const std::vector<std::pair<std::string, std::string>>& ports);

// Row to preselect: the last LPT1, else COM1, else FILE row by a case-sensitive
// four-character prefix; row 0 never counts (0 marks "no match").
std::optional<int> ChoosePreselectedRow(const std::vector<std::string>& names);

// Index of the first selected row; the count is read afresh at every step.
std::optional<int> FirstSelectedRow(const ReportList& list);

// Extended style with track selection cleared and grid lines and full-row
// selection set; other bits as they were.
unsigned PageListStyle(unsigned current);

// Fills the port list from an enumeration; columns only on the first fill.
void FillPortList(const std::vector<std::pair<std::string, std::string>>& ports, bool firstFill,
                  ReportList& list, DebugOutput& debug);

// Fills the monitor list and selects row 0.
void FillMonitorList(const std::vector<MonitorName>& monitors, ReportList& list, DebugOutput& debug);

}  // namespace vornapx
