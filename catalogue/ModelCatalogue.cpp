#include "catalogue/ModelCatalogue.h"

#include "catalogue/Descrambler.h"

namespace vornapx {

namespace {

// Display names are kept scrambled so they do not show up as plain strings in
// the executable; tools/scramble_names regenerates them from
// tools/display_names.txt.
const ModelRow kRows[kModelCount] = {
    {{"EECWBWERJPFNJJFJEBCOGABXGBGLFCASAE", 0x3A71}, "ZR1", "Z101", "ZRT-101", false},
    {{"IKEJBBCVGTIZDUCAEMBTAXCTIVAHDPAOEP", 0x8C2E}, "ZR1", "Z102", "ZRT-102", false},
    {{"AHFAHAFJJGHNBXDRAMCFBDCPIRIOCIGLEQ", 0x51D9}, "ZR1", "Z103", "ZRT-103", false},
    {{"GUEXBEBQCPDSDAJRCYIJGUHXGWCDHYDACB", 0xE604}, "ZR1", "Z104", "ZRT-104", false},
    {{"CVCNJGBGIJAPBLGUICBQBBCDEVFCFIEMIL", 0x1FB3}, "ZR1", "Z105", "ZRT-105", false},
    {{"HWFCBTDREDCUABBNBJEFIEGHFDECHZGJDU", 0x9A48}, "Z106", "Z106", "ZRT-106", false},
    {{"BABDIEAPCHFSIUDNHEDHHUCIFGJFEUBZIF", 0x4C95}, "Z106", "Z107", "ZRT-107", false},
    {{"FDAPCUJSCFGPHMDBGPBUDEBHERHPCTHXBX", 0xD37A}, "ZR2", "Z108", "ZRT-108", false},
    {{"EWIGBSHGDFFKBKFSBKBHFCIJCOIKGJHQAF", 0x2861}, "ZR2", "Z109", "ZRT-109", false},
    {{"ITGSCZBGHIIYEQDACJAMAACTDPGDDTIPJSET", 0xB5CF}, "ZR3", "Z110", "ZRT-110", true},
    {{"BOEFCUACHVHJGQCJEOHGJICXEVCXCKGKID", 0x7E16}, "ZR3", "Z111", "ZRT-111", true},
    {{"DPBOCPBNGWBQJFBMJKEPAXGQIKBFAOINDQ", 0x0BE2}, "ZR3", "Z112", "ZRT-112", true},
    {{"FQILBBFDHCGZAKIBGIHRCZFKEBINGGBEDJ", 0xC48D}, "ZR3", "Z113", "ZRT-113", true},
    {{"CBCFBOHFBCDNDBHIJCISEWFIFSDOHZARBR", 0x6359}, "ZR3", "Z114", "ZRT-114", true},
    {{"GLIQJDJBEJHFIIEXGKGPCXBJJVDQAZFZAX", 0xF1A0}, "ZR3", "Z115", "ZRT-115", true},
    {{"DSFQHSERIMCJGKFYCCCKIOJMDYHIDTCGFK", 0x36EB}, "ZR3", "Z116", "ZRT-116", true},
    {{"JVEXIOHIGEEUCBBZIPGEAQBMGYIHJPAWCF", 0xA927}, "ZR3", "Z117", "ZRT-117", true},
};

const ScrambledName kInitialPrinterName = {"ALHIJLEJAIFXFMFGFNAXCZHZJBCTJPFTEOCV", 0x5D8C};

}  // namespace

const ModelRow* FindModelRow(int index)
{
    if (index < 0 || index >= kModelCount) {
        return nullptr;
    }
    return &kRows[index];
}

bool UsesPlugIn(int index)
{
    const ModelRow* row = FindModelRow(index);
    return row != nullptr && row->plugIn;
}

const ScrambledName& InitialPrinterName()
{
    return kInitialPrinterName;
}

std::string DisplayName(const ModelRow& row)
{
    return DescrambleName(row.displayName.letters, row.displayName.key);
}

}  // namespace vornapx
