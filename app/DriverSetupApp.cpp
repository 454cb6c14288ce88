#include "app/DriverSetupApp.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/SelectOsDlg.h"
#include "app/WizardFlow.h"
#include "pages/DetailSettingDlg.h"

namespace {

class ModalPages : public vornapx::WizardPages {
public:
    int ShowSelectOs() override { return static_cast<int>(m_selectOs.DoModal()); }
    int ShowDetailSetting() override {
        // A fresh page every time, so its choices start from their defaults.
        auto page = std::make_unique<CDetailSettingDlg>();
        return static_cast<int>(page->DoModal());
    }

private:
    CSelectOsDlg m_selectOs;  // lives for the whole run
};

}  // namespace

int CDriverSetupApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    ::InitCommonControlsEx(&controls);

    ModalPages pages;
    vornapx::RunWizard(pages);
    return 0;
}
