// Produces the stored form of display names for the model catalogue.
//   scramble_names KEY TEXT      prints the letters for one name
//   scramble_names --table FILE  reads "KEY<TAB>TEXT" lines, prints initialisers
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/NameScrambler.h"

namespace {

int Usage()
{
    std::cerr << "usage: scramble_names KEY TEXT\n"
                 "       scramble_names --table FILE   (lines: KEY<TAB>TEXT)\n"
                 "KEY is 0..0xFFFF, decimal or 0x-prefixed hex\n";
    return 2;
}

// Stored keys are 16-bit; anything else is a typo in the list, not a key.
bool ParseKey(const std::string& text, unsigned& key)
{
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 0);
    if (end != text.c_str() + text.size() || value > 0xFFFFul) {
        return false;
    }
    key = static_cast<unsigned>(value);
    return true;
}

std::string HexKey(unsigned key)
{
    std::ostringstream out;
    out << "0x" << std::hex << std::uppercase << std::setw(4) << std::setfill('0') << key;
    return out.str();
}

int PrintTable(const std::string& path)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << "scramble_names: cannot read " << path << "\n";
        return 1;
    }
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        const std::size_t tab = line.find('\t');
        unsigned key = 0;
        if (tab == std::string::npos || !ParseKey(line.substr(0, tab), key)) {
            std::cerr << path << ":" << lineNo << ": expected KEY<TAB>TEXT\n";
            return 1;
        }
        std::cout << "{\"" << vornapx::ScrambleName(line.substr(tab + 1), key) << "\", "
                  << HexKey(key) << "},\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        return Usage();
    }
    const std::string first = argv[1];
    if (first == "--table") {
        return PrintTable(argv[2]);
    }
    unsigned key = 0;
    if (!ParseKey(first, key)) {
        return Usage();
    }
    std::cout << vornapx::ScrambleName(argv[2], key) << "\n";
    return 0;
}
