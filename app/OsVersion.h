// Classification of the running Windows version into the wizard's OS code.
#pragma once

namespace vornapx {

// Platform ids as the version query reports them.
constexpr unsigned kPlatformWin9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr unsigned kPlatformNt = 2;     // VER_PLATFORM_WIN32_NT

// 0 = not classified, 1..2 = 9x family, 3..9 = NT family.
using OsCode = int;

// Pure: the code for a reported version; versions the table does not know
// keep the previous code.
OsCode ClassifyOsVersion(unsigned platformId, unsigned major, unsigned minor, OsCode previous);

// Id of the Select OS radio button that shows a code; 0 for none.
int RadioIdForOsCode(OsCode code);

// True for the NT family, where the completion message is shown.
inline bool IsNtFamily(OsCode code) { return code >= 3 && code <= 9; }

}  // namespace vornapx
