#include "app/OsVersion.h"

namespace vornapx {

OsCode ClassifyOsVersion(unsigned platformId, unsigned major, unsigned minor, OsCode previous) {
    if (platformId == kPlatformWin9x) {
        if (major != 4) return previous;
        if (minor == 0) return 1;
        if (minor == 10 || minor == 90) return 2;
        return previous;
    }
    if (platformId == kPlatformNt) {
        if (major <= 4) return 3;
        if (major == 5 && minor <= 2) return static_cast<OsCode>(4 + minor);
        if (major == 6 && minor <= 2) return static_cast<OsCode>(7 + minor);
        return previous;
    }
    return 4;
}

int RadioIdForOsCode(OsCode code) {
    static const int kRadioIds[] = {0, 1000, 1001, 1002, 1003, 1004, 1011, 1020, 1005, 1006};
    if (code < 0 || code > 9) return 0;
    return kRadioIds[code];
}

}  // namespace vornapx
