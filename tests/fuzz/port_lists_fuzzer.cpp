// Fuzzes the port list: rows, preselection and the fill of a list.
// Input: a flags byte (bit 0: first fill; the other bits: the list's extended
// style before the fill), a count of filler ports put first, then lines of
// "name<TAB>description".
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pages/PortLists.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using vornapx::kMaxPortRows;
using Ports = std::vector<std::pair<std::string, std::string>>;

Ports ParsePorts(const std::uint8_t* data, std::size_t size, unsigned fillers) {
    Ports ports;
    for (unsigned i = 0; i < fillers; ++i) ports.emplace_back("USB" + std::to_string(i), "Virtual printer port");
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) ports.emplace_back(line, std::string());
        else ports.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        start = end + 1;
    }
    return ports;
}

bool StartsWith(const std::string& name, const char* prefix) { return name.compare(0, 4, prefix) == 0; }

// The last listed row after row 0 whose name starts with the prefix; 0 for none.
int LastMatch(const std::vector<std::string>& names, const char* prefix) {
    const int listed = static_cast<int>(names.size() < kMaxPortRows ? names.size() : kMaxPortRows);
    for (int i = listed - 1; i > 0; --i) {
        if (StartsWith(names[static_cast<std::size_t>(i)], prefix)) return i;
    }
    return 0;
}

// A list that refuses any call a real list view would not accept.
class CheckedList : public vornapx::ReportList {
public:
    unsigned style = 0;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> selected;
    int selectCalls = 0;

    unsigned GetExtendedStyle() const override { return style; }
    void SetExtendedStyle(unsigned s) override { style = s; }
    void InsertColumn(int index, const std::string& title) override {
        FUZZ_CHECK(index >= 0 && static_cast<std::size_t>(index) <= columns.size(), "column " + std::to_string(index));
        columns.insert(columns.begin() + index, title);
    }
    void SetColumnWidth(int column, int width) override {
        FUZZ_CHECK(column >= 0 && static_cast<std::size_t>(column) < columns.size() && width > 0,
                   "width of column " + std::to_string(column));
    }
    void InsertItem(int index, const std::string& text) override {
        FUZZ_CHECK(index >= 0 && static_cast<std::size_t>(index) <= rows.size(), "item " + std::to_string(index));
        rows.insert(rows.begin() + index, std::vector<std::string>{text, std::string()});
        selected.insert(selected.begin() + index, false);
    }
    void SetItemText(int row, int column, const std::string& text) override {
        FUZZ_CHECK(row >= 0 && static_cast<std::size_t>(row) < rows.size(), "text of row " + std::to_string(row));
        FUZZ_CHECK(column > 0 && static_cast<std::size_t>(column) < columns.size(),
                   "text of column " + std::to_string(column));
        rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    }
    void SelectRow(int row) override {
        FUZZ_CHECK(row >= 0 && static_cast<std::size_t>(row) < rows.size(), "select row " + std::to_string(row));
        ++selectCalls;
        selected[static_cast<std::size_t>(row)] = true;
    }
    int ItemCount() const override { return static_cast<int>(rows.size()); }
    bool IsSelected(int row) const override { return selected.at(static_cast<std::size_t>(row)); }
    std::string ItemText(int row, int column) const override {
        return rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
    void DeleteAllItems() override {
        rows.clear();
        selected.clear();
    }
};

class CollectedDebug : public vornapx::DebugOutput {
public:
    std::vector<std::string> lines;
    void Write(const std::string& line) override { lines.push_back(line); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool firstFill = (data[0] & 1u) != 0;
    const unsigned initialStyle = static_cast<unsigned>(data[0]) >> 1;
    const Ports ports = ParsePorts(data + 2, size - 2, data[1]);
    const std::size_t listed = ports.size() < kMaxPortRows ? ports.size() : kMaxPortRows;

    const std::vector<vornapx::PortRow> rows = vornapx::BuildPortRows(ports);
    FUZZ_CHECK(rows.size() == listed, std::to_string(ports.size()) + " ports gave " + std::to_string(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FUZZ_CHECK(rows[i].name == ports[i].first && rows[i].type == ports[i].second, "row " + std::to_string(i));
    }

    std::vector<std::string> names;
    for (const auto& port : ports) names.push_back(port.first);
    const std::optional<int> chosen = vornapx::ChoosePreselectedRow(names);
    if (chosen) {
        const int row = *chosen;
        FUZZ_CHECK(row > 0 && row < kMaxPortRows && static_cast<std::size_t>(row) < names.size(),
                   "preselected row " + std::to_string(row));
        const std::string& name = names[static_cast<std::size_t>(row)];
        FUZZ_CHECK(StartsWith(name, "LPT1") || StartsWith(name, "COM1") || StartsWith(name, "FILE"),
                   "preselected " + vornapx::fuzz::Visible(name));
    }
    // LPT1 before COM1 before FILE, the last match of a kind, never row 0.
    const int lpt1 = LastMatch(names, "LPT1");
    const int com1 = LastMatch(names, "COM1");
    const int file = LastMatch(names, "FILE");
    const int expected = lpt1 > 0 ? lpt1 : com1 > 0 ? com1 : file;
    FUZZ_CHECK(chosen.value_or(0) == expected,
               "chose " + std::to_string(chosen.value_or(0)) + ", expected " + std::to_string(expected));

    CheckedList list;
    list.style = initialStyle;
    if (!firstFill) list.columns = {"Port", "Type"};  // a refill follows DeleteAllItems
    CollectedDebug debug;
    vornapx::FillPortList(ports, firstFill, list, debug);

    FUZZ_CHECK(list.columns.size() == 2, std::to_string(list.columns.size()) + " columns");
    FUZZ_CHECK((list.style & vornapx::kExGridLines) && (list.style & vornapx::kExFullRowSelect) &&
                   !(list.style & vornapx::kExTrackSelect),
               "style " + std::to_string(list.style));
    const unsigned touched = vornapx::kExGridLines | vornapx::kExFullRowSelect | vornapx::kExTrackSelect;
    FUZZ_CHECK((list.style & ~touched) == (initialStyle & ~touched), "style bits lost");
    FUZZ_CHECK(list.rows.size() == listed && debug.lines.size() == listed,
               std::to_string(list.rows.size()) + " rows, " + std::to_string(debug.lines.size()) + " debug lines");
    for (std::size_t i = 0; i < listed; ++i) {
        FUZZ_CHECK(list.rows[i][0] == ports[i].first && list.rows[i][1] == ports[i].second,
                   "list row " + std::to_string(i));
        FUZZ_CHECK(debug.lines[i] == ports[i].first + "\n", "debug line " + std::to_string(i));
    }
    FUZZ_CHECK(list.selectCalls == (expected > 0 ? 1 : 0), std::to_string(list.selectCalls) + " selections");
    FUZZ_CHECK(vornapx::FirstSelectedRow(list).value_or(0) == expected, "selected row differs from the choice");
    return 0;
}
