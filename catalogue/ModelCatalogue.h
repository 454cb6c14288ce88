// The seventeen printer models and the texts shown before a model is chosen.
#pragma once

#include <string>

namespace vornapx {

// A display name as stored: capital-letter pairs plus a key of its own.
struct ScrambledName {
    const char* letters;
    unsigned key;
};

struct ModelRow {
    ScrambledName displayName;
    const char* dllStem;     // file name is stem + ".DLL"
    const char* gpdStem;     // file name is stem + ".GPD"
    const char* driverName;  // spooler driver name and printer name
    bool plugIn;             // uses the RDRPLUG OEM plug-in
};

constexpr int kModelCount = 17;

// Row at a model-list index; nullptr when the index is outside 0..16.
const ModelRow* FindModelRow(int index);

// True exactly for the rows that use the plug-in (9..16).
bool UsesPlugIn(int index);

// The printer-name text shown before the user first changes the model.
const ScrambledName& InitialPrinterName();

// Descrambled display name of a row (computed anew on every call).
std::string DisplayName(const ModelRow& row);

}  // namespace vornapx
