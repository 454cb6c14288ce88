#include "app/WizardFlow.h"

namespace vornapx {

void RunWizard(WizardPages& pages) {
    int r = pages.ShowSelectOs();
    while (r == kResultOk) {
        const int r2 = pages.ShowDetailSetting();
        if (r2 != kResultCancel) break;
        r = pages.ShowSelectOs();
    }
}

std::string PackagePath(const std::string& currentDirectory, const char* relative) {
    std::string path = currentDirectory;
    path += '\\';
    path += relative;
    return path;
}

}  // namespace vornapx
