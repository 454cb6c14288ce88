#include "catalogue/SerialTables.h"

#include <cstddef>

namespace vornapx {

namespace {

// Entries in the item order of the matching hidden list.
const char* const kPorts[] = {"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "COM4:"};
const char* const kBaudRates[] = {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const char* const kDataBits[] = {"5", "6", "7", "8"};
const char* const kStopBits[] = {"1", "1.5", "2"};
// "Mark" deliberately maps to "E", like "Even".
const char* const kParities[] = {"E", "E", "N", "O", "S"};
// "None" is a single blank, not an empty string.
const char* const kFlowControls[] = {" ", "x", "p"};

template <std::size_t N>
const char* Entry(const char* const (&table)[N], int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= N) {
        return nullptr;
    }
    return table[index];
}

}  // namespace

const char* SerialPortEntry(int index) { return Entry(kPorts, index); }
const char* BaudRateEntry(int index) { return Entry(kBaudRates, index); }
const char* DataBitsEntry(int index) { return Entry(kDataBits, index); }
const char* StopBitsEntry(int index) { return Entry(kStopBits, index); }
const char* ParityEntry(int index) { return Entry(kParities, index); }
const char* FlowControlEntry(int index) { return Entry(kFlowControls, index); }

bool IsComPortIndex(int index)
{
    return index >= 3 && index <= 6;
}

}  // namespace vornapx
