// Which driver files an installation copies, from where to where.
#pragma once

#include <string>
#include <vector>

#include "catalogue/ModelCatalogue.h"
#include "install/ArchProfile.h"

namespace vornapx {

struct CopyEntry {
    std::string source;       // relative to the package folder
    std::string destination;  // inside the spooler's driver directory
    int progress;             // position set once this entry is done; 0 = none
};

// The ten copies of one installation, in order. The destination is always
// directory + "\\" + name, even when the directory already ends in a backslash.
std::vector<CopyEntry> BuildCopyPlan(const ArchProfile& profile, const ModelRow& row,
                                     const std::string& driverDirectory);

}  // namespace vornapx
