// Invariant checks for the fuzz targets: a broken invariant prints what was
// expected and aborts, so libFuzzer keeps the input as a crash artifact.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vornapx {
namespace fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n%s\n", file, line, what, detail.c_str());
    std::abort();
}

// Bytes made visible for a failure message: printable ASCII as is, others as \xNN.
inline std::string Visible(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += ch;
        } else {
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

}  // namespace fuzz
}  // namespace vornapx

#define FUZZ_CHECK(cond, detail)                                                 \
    do {                                                                         \
        if (!(cond)) ::vornapx::fuzz::Fail(__FILE__, __LINE__, #cond, (detail)); \
    } while (false)
