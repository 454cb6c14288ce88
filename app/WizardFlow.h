// The order of the two top-level pages, driven by their return codes.
#pragma once

#include <string>

namespace vornapx {

constexpr int kResultOk = 1;      // IDOK
constexpr int kResultCancel = 2;  // IDCANCEL

class WizardPages {
public:
    virtual ~WizardPages() = default;
    virtual int ShowSelectOs() = 0;
    // Each call shows a freshly made Detail Setting page.
    virtual int ShowDetailSetting() = 0;
};

// Select OS until it is left with anything but OK; Detail Setting after each
// OK, back to Select OS only on Cancel ("< &Back").
void RunWizard(WizardPages& pages);

// Path of a package program: the current directory, one backslash, the
// relative path (a drive root thus gives two backslashes in a row).
std::string PackagePath(const std::string& currentDirectory, const char* relative);

}  // namespace vornapx
