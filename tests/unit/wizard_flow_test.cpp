#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/WizardFlow.h"

namespace vornapx {
namespace {

// Plays back scripted return codes and records which page was shown.
class ScriptedPages : public WizardPages {
public:
    ScriptedPages(std::vector<int> selectOs, std::vector<int> detail)
        : m_selectOs(std::move(selectOs)), m_detail(std::move(detail)) {}
    int ShowSelectOs() override { return Next(m_selectOs, m_nextSelectOs, 'S'); }
    int ShowDetailSetting() override { return Next(m_detail, m_nextDetail, 'D'); }
    std::string shown;

private:
    int Next(const std::vector<int>& script, std::size_t& next, char page) {
        shown += page;
        // A page the script did not plan for fails the test and ends the run.
        if (next >= script.size()) {
            ADD_FAILURE() << "page " << page << " shown more often than scripted";
            return kResultCancel + 100;
        }
        return script[next++];
    }
    std::vector<int> m_selectOs, m_detail;
    std::size_t m_nextSelectOs = 0, m_nextDetail = 0;
};

TEST(RunWizard, PageOrderByReturnCodes) {
    struct Case {
        const char* what;
        std::vector<int> selectOs, detail;
        const char* shown;
    } cases[] = {
        {"exit on the first page", {kResultCancel}, {}, "S"},
        {"select OS cannot be created", {-1}, {}, "S"},
        {"exit on Detail Setting", {kResultOk}, {kResultOk}, "SD"},
        {"back, then exit on Select OS", {kResultOk, kResultCancel}, {kResultCancel}, "SDS"},
        {"back and forth twice, then finish", {kResultOk, kResultOk, kResultOk}, {kResultCancel, kResultCancel, kResultOk},
         "SDSDSD"},
        {"detail page cannot be created", {kResultOk}, {-1}, "SD"},
    };
    for (const Case& c : cases) {
        ScriptedPages pages(c.selectOs, c.detail);
        RunWizard(pages);
        EXPECT_EQ(pages.shown, c.shown) << c.what;
    }
}

TEST(PackagePath, CurrentDirectoryOneBackslashRelative) {
    EXPECT_EQ(PackagePath("C:\\pkg\\VORNAPX", "USB Driver\\x86\\dpinstx86.exe"),
              "C:\\pkg\\VORNAPX\\USB Driver\\x86\\dpinstx86.exe");
    // A drive root already ends in a backslash: two in a row, as Windows accepts.
    EXPECT_EQ(PackagePath("D:\\", "USBdriver\\x86\\dpinst.exe"), "D:\\\\USBdriver\\x86\\dpinst.exe");
    const std::string longDir = "C:\\" + std::string(300, 'a');
    EXPECT_EQ(PackagePath(longDir, "x"), longDir + "\\x");
}

}  // namespace
}  // namespace vornapx
