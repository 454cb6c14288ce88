#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/PortLists.h"

namespace vornapx {
namespace {

// A list view in memory that behaves like the control for what the pages use.
class FakeList : public ReportList {
public:
    struct Row {
        std::vector<std::string> texts;
        bool selected = false;
        bool focused = false;
    };
    unsigned style = 0;
    std::vector<std::string> columns;
    std::vector<int> widths;
    std::vector<Row> rows;
    int stateChanges = 0;

    unsigned GetExtendedStyle() const override { return style; }
    void SetExtendedStyle(unsigned s) override { style = s; }
    void InsertColumn(int index, const std::string& title) override {
        columns.insert(columns.begin() + index, title);
        widths.insert(widths.begin() + index, 0);
    }
    void SetColumnWidth(int column, int width) override { widths.at(static_cast<std::size_t>(column)) = width; }
    void InsertItem(int index, const std::string& text) override {
        // Like the control: an index past the end appends.
        const std::size_t at = static_cast<std::size_t>(index) > rows.size() ? rows.size() : static_cast<std::size_t>(index);
        Row row;
        row.texts = {text, ""};
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), row);
    }
    void SetItemText(int row, int column, const std::string& text) override {
        rows.at(static_cast<std::size_t>(row)).texts.at(static_cast<std::size_t>(column)) = text;
    }
    void SelectRow(int row) override {
        ++stateChanges;
        if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return;
        // Single selection: selecting one row deselects the others.
        for (Row& r : rows) r.selected = false;
        rows[static_cast<std::size_t>(row)].selected = true;
        rows[static_cast<std::size_t>(row)].focused = false;
    }
    int ItemCount() const override { return static_cast<int>(rows.size()); }
    bool IsSelected(int row) const override { return rows.at(static_cast<std::size_t>(row)).selected; }
    std::string ItemText(int row, int column) const override {
        return rows.at(static_cast<std::size_t>(row)).texts.at(static_cast<std::size_t>(column));
    }
    void DeleteAllItems() override { rows.clear(); }

    std::vector<int> SelectedRows() const {
        std::vector<int> out;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].selected) out.push_back(static_cast<int>(i));
        return out;
    }
};

class RecordingDebug : public DebugOutput {
public:
    void Write(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

std::vector<std::pair<std::string, std::string>> Ports(const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> ports;
    for (const std::string& n : names) ports.emplace_back(n, "type of " + n);
    return ports;
}

std::vector<std::string> Many(int count, int lpt1At = -1) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(i == lpt1At ? "LPT1:" : "NUL" + std::to_string(i) + ":");
    return names;
}

TEST(ChoosePreselectedRow, Table) {
    struct Case {
        std::vector<std::string> names;
        std::optional<int> expected;
    } cases[] = {
        {{"COM1:", "COM2:", "FILE:", "LPT1:"}, 3},
        {{"LPT1:", "COM1:", "FILE:"}, 1},  // LPT1 in row 0 counts as no match
        {{"LPT1:", "USB001"}, std::nullopt},
        {{"FILE:", "COM1:"}, 1},
        {{"USB001", "FILE:", "COM1:", "COM10:"}, 3},  // the later COM1 match wins
        {{"USB001", "lpt1:", "FILE:"}, 2},           // case-sensitive
        {{"COM1:"}, std::nullopt},
        {{}, std::nullopt},
        {{"X", "LPT1:", "LPT1:x", "COM1:"}, 2},       // last LPT1 match counts, and beats COM1
        {{"X", "LPT", "FIL", "COM"}, std::nullopt},  // shorter names compare whole
        {{"X", "FILE", "LPT1"}, 2},                  // exactly four characters match
        {{"X", "COM1:", "FILE:", "FILE:"}, 1},       // COM1 beats FILE
        {Many(300, 299), std::nullopt},              // beyond row 255: not considered
        {Many(300, 255), 255},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (std::size_t i = 0; i < c.names.size() && i < 6; ++i) shown += c.names[i] + " ";
        EXPECT_EQ(ChoosePreselectedRow(c.names), c.expected) << shown << "(" << c.names.size() << " names)";
    }
}

TEST(BuildPortRows, FirstTwoHundredFiftySixInOrder) {
    EXPECT_TRUE(BuildPortRows({}).empty());
    const std::vector<PortRow> rows = BuildPortRows(Ports(Many(300)));
    ASSERT_EQ(rows.size(), 256u);
    EXPECT_EQ(rows[0].name, "NUL0:");
    EXPECT_EQ(rows[255].name, "NUL255:");
    EXPECT_EQ(rows[255].type, "type of NUL255:");
}

TEST(PageListStyle, ClearsTrackSelectSetsGridAndFullRowKeepsOthers) {
    EXPECT_EQ(PageListStyle(0), 0x21u);
    EXPECT_EQ(PageListStyle(0x08), 0x21u);
    EXPECT_EQ(PageListStyle(0xFFFFFFFFu), 0xFFFFFFF7u);
    EXPECT_EQ(PageListStyle(0x4000 | 0x08 | 0x01), 0x4021u);
}

TEST(FillPortList, FirstFillColumnsRowsDebugLinesAndPreselection) {
    FakeList list;
    list.style = 0x08 | 0x100;
    RecordingDebug debug;
    FillPortList(Ports({"COM1:", "COM2:", "FILE:", "LPT1:"}), true, list, debug);
    EXPECT_EQ(list.style, 0x121u);
    EXPECT_EQ(list.columns, (std::vector<std::string>{"Port", "Type"}));
    EXPECT_EQ(list.widths, (std::vector<int>{150, 280}));
    ASSERT_EQ(list.rows.size(), 4u);
    EXPECT_EQ(list.ItemText(2, 0), "FILE:");
    EXPECT_EQ(list.ItemText(2, 1), "type of FILE:");
    EXPECT_EQ(debug.lines, (std::vector<std::string>{"COM1:\n", "COM2:\n", "FILE:\n", "LPT1:\n"}));
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{3}));
    EXPECT_EQ(list.stateChanges, 1);
}

TEST(FillPortList, RefillAddsNoColumnsAndRepeatsDebugLines) {
    FakeList list;
    RecordingDebug debug;
    FillPortList(Ports({"LPT1:", "COM1:"}), true, list, debug);
    list.SelectRow(0);  // the user's choice is lost on a refill
    list.DeleteAllItems();
    FillPortList(Ports({"LPT1:", "COM1:", "NEW:"}), false, list, debug);
    EXPECT_EQ(list.columns.size(), 2u);
    EXPECT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{1}));
    EXPECT_EQ(debug.lines.size(), 5u);
}

TEST(FillPortList, NoPortsNoRowsNoSelection) {
    FakeList list;
    RecordingDebug debug;
    FillPortList({}, true, list, debug);
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(list.stateChanges, 0);
    EXPECT_TRUE(debug.lines.empty());
    EXPECT_EQ(list.columns.size(), 2u);
}

TEST(FillPortList, ThreeHundredPortsListsTwoHundredFiftySix) {
    FakeList list;
    RecordingDebug debug;
    FillPortList(Ports(Many(300, 280)), true, list, debug);
    EXPECT_EQ(list.rows.size(), 256u);
    EXPECT_EQ(debug.lines.size(), 256u);
    EXPECT_TRUE(list.SelectedRows().empty());
}

TEST(FillMonitorList, NamedMonitorsInOrderRowZeroSelected) {
    FakeList list;
    list.style = 0x08;
    RecordingDebug debug;
    FillMonitorList({{true, "Local Port"}, {false, ""}, {true, "Standard TCP/IP Port"}, {true, "USB Monitor"}}, list,
                    debug);
    EXPECT_EQ(list.style, 0x21u);
    EXPECT_EQ(list.columns, (std::vector<std::string>{"Available Port Type"}));
    EXPECT_EQ(list.widths, (std::vector<int>{340}));
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(list.ItemText(1, 0), "Standard TCP/IP Port");
    EXPECT_EQ(list.ItemText(2, 0), "USB Monitor");
    EXPECT_EQ(debug.lines, (std::vector<std::string>{"Local Port\n", "Standard TCP/IP Port\n", "USB Monitor\n"}));
    EXPECT_EQ(list.SelectedRows(), (std::vector<int>{0}));
}

TEST(FillMonitorList, EmptyEnumerationStillTriesRowZero) {
    FakeList list;
    RecordingDebug debug;
    FillMonitorList({{false, ""}}, list, debug);
    EXPECT_TRUE(list.rows.empty());
    EXPECT_EQ(list.stateChanges, 1);
    EXPECT_FALSE(FirstSelectedRow(list).has_value());
}

TEST(FirstSelectedRow, FindsTheSelectedRowOrNone) {
    FakeList list;
    EXPECT_FALSE(FirstSelectedRow(list).has_value());
    RecordingDebug debug;
    FillPortList(Ports({"A", "B", "C"}), true, list, debug);
    EXPECT_FALSE(FirstSelectedRow(list).has_value());
    list.rows[2].selected = true;
    EXPECT_EQ(FirstSelectedRow(list), 2);
    list.rows[0].selected = true;
    EXPECT_EQ(FirstSelectedRow(list), 0);
}

}  // namespace
}  // namespace vornapx
