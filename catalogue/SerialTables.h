// Texts that the hidden serial-settings lists of the Detail Setting page map to.
#pragma once

namespace vornapx {

// Each returns the table entry at a list index, or nullptr when the index is
// outside the list (e.g. -1 for no selection).
const char* SerialPortEntry(int index);   // "LPT1:".."COM4:"
const char* BaudRateEntry(int index);
const char* DataBitsEntry(int index);
const char* StopBitsEntry(int index);
const char* ParityEntry(int index);       // letters, "Mark" -> "E"
const char* FlowControlEntry(int index);  // " ", "x", "p"

// Port-list indexes 3..6 are COM ports whose line settings are stored.
bool IsComPortIndex(int index);

}  // namespace vornapx
