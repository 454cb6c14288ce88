#include "install/CopyPlan.h"

namespace vornapx {

std::vector<CopyEntry> BuildCopyPlan(const ArchProfile& profile, const ModelRow& row,
                                     const std::string& driverDirectory) {
    struct Item {
        std::string name;
        int progress;
    };
    // Letter cases are the package's own; the spooler matches names without case.
    // The plug-in files are copied for every row; only registration tells rows apart.
    const Item items[] = {
        {std::string(row.dllStem) + ".DLL", 10},
        {std::string(row.gpdStem) + ".GPD", 20},
        {"uniDRVui.DLL", 30},
        {"uniDRV.DLL", 0},
        {"UNIDRV.HLP", 40},
        {"UNIRES.DLL", 0},
        {"TTFSUB.GPD", 50},
        {"STDNAMES.GPD", 0},
        {"RDRPLUG.ini", 0},
        {"RDRPLUG.dll", 60},
    };
    std::vector<CopyEntry> plan;
    plan.reserve(sizeof items / sizeof items[0]);
    for (const Item& item : items) {
        plan.push_back({std::string(profile.sourceFolder) + "\\" + item.name,
                        driverDirectory + "\\" + item.name, item.progress});
    }
    return plan;
}

}  // namespace vornapx
