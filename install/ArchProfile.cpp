#include "install/ArchProfile.h"

namespace vornapx {

const ArchProfile& X86Profile() {
    static const ArchProfile profile{"Windows NT x86", "Printer Driver\\x86"};
    return profile;
}

const ArchProfile& X64Profile() {
    static const ArchProfile profile{"Windows x64", "Printer Driver\\x64"};
    return profile;
}

}  // namespace vornapx
