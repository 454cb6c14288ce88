// What differs between a 32-bit and a 64-bit installation.
#pragma once

namespace vornapx {

struct ArchProfile {
    const char* environment;   // spooler environment name
    const char* sourceFolder;  // relative to the package folder
};

const ArchProfile& X86Profile();  // "Windows NT x86", "Printer Driver\x86"
const ArchProfile& X64Profile();  // "Windows x64",    "Printer Driver\x64"

}  // namespace vornapx
