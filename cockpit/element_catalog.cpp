#include "cockpit/element_catalog.h"

#include "platform/ascii.h"

#include <cstddef>
#include <cstring>

namespace gb {

// Group by group, within a group by element index, except that "ADI Flags" and "Other Flags"
// keep the order the definition files and dialogs have always shown.
// clang-format off
CatalogEntry ElementCatalog[kCatalogEntries] = {
    {"Eyebrow Lights", "MasterCaution", 0, CatalogFlag, 0},
    {"", "TFFail", 0, CatalogFlag, 1},
    {"", "Ovrd", 0, CatalogFlag, 4},
    {"", "EngFire", 0, CatalogFlag, 5},
    {"", "Engine", 0, CatalogFlag, 6},
    {"", "HydPress", 0, CatalogFlag, 7},
    {"", "OilPress", 0, CatalogFlag, 8},
    {"", "FLCS", 0, CatalogFlag, 9},
    {"", "DruOn", 0, CatalogFlag, 10},
    {"", "ToLdgCfg", 0, CatalogFlag, 11},
    {"", "Canopy", 0, CatalogFlag, 12},
    {"Caution Lights", "FlcsFault", 0, CatalogFlag, 14},
    {"", "ElecSys", 0, CatalogFlag, 15},
    {"", "ProbeHeat", 0, CatalogFlag, 16},
    {"", "Cadc", 0, CatalogFlag, 17},
    {"", "StoresConfig", 0, CatalogFlag, 18},
    {"", "AftNotEng", 0, CatalogFlag, 19},
    {"", "FwdFuelLow", 0, CatalogFlag, 20},
    {"", "AftFuelLow", 0, CatalogFlag, 21},
    {"", "EngFault", 0, CatalogFlag, 22},
    {"", "Sec", 0, CatalogFlag, 23},
    {"", "FuelOilHot", 0, CatalogFlag, 24},
    {"", "InletIcing", 0, CatalogFlag, 25},
    {"", "Overheat", 0, CatalogFlag, 26},
    {"", "EEC", 0, CatalogFlag, 27},
    {"", "BUC", 0, CatalogFlag, 28},
    {"", "LEFlaps", 0, CatalogFlag, 29},
    {"", "AviFault", 0, CatalogFlag, 30},
    {"", "EquipHot", 0, CatalogFlag, 31},
    {"", "RadarAlt", 0, CatalogFlag, 32},
    {"", "IFF", 0, CatalogFlag, 33},
    {"", "Nuclear", 0, CatalogFlag, 34},
    {"", "ECM", 0, CatalogFlag, 35},
    {"", "SeatNotArm", 0, CatalogFlag, 38},
    {"", "NWSFail", 0, CatalogFlag, 39},
    {"", "AntiSkid", 0, CatalogFlag, 40},
    {"", "Hook", 0, CatalogFlag, 41},
    {"", "OxyLow", 0, CatalogFlag, 42},
    {"", "CabinPress", 0, CatalogFlag, 43},
    {"", "Dual", 0, CatalogFlag, 44},
    {"HUD Lights", "AOAAbove", 0, CatalogFlag, 46},
    {"", "AOAOn", 0, CatalogFlag, 47},
    {"", "AOABelow", 0, CatalogFlag, 48},
    {"", "RefuelRDY", 0, CatalogFlag, 49},
    {"", "NWSAr", 0, CatalogFlag, 50},
    {"", "RefuelDSC", 0, CatalogFlag, 51},
    {"Gear Lights", "Left", 0, CatalogFlag, 52},
    {"", "Nose", 0, CatalogFlag, 53},
    {"", "Right", 0, CatalogFlag, 54},
    {"", "Handle", 0, CatalogFlag, 55},
    {"Threat Lights", "HandOff", 0, CatalogFlag, 56},
    {"", "Missile", 0, CatalogFlag, 57},
    {"", "PriMode", 0, CatalogFlag, 58},
    {"", "PriOpen", 0, CatalogFlag, 59},
    {"", "Naval", 0, CatalogFlag, 60},
    {"", "Unknown", 0, CatalogFlag, 61},
    {"", "SysTest", 0, CatalogFlag, 62},
    {"", "TGTSep", 0, CatalogFlag, 63},
    {"", "Search", 0, CatalogFlag, 64},
    {"", "ActPower", 0, CatalogFlag, 65},
    {"", "AltLow", 0, CatalogFlag, 66},
    {"", "SysPower", 0, CatalogFlag, 67},
    {"Power Lights", "JFSRun", 0, CatalogFlag, 68},
    {"", "FlcsPmg", 0, CatalogFlag, 69},
    {"", "MainGen", 0, CatalogFlag, 70},
    {"", "StbyGen", 0, CatalogFlag, 71},
    {"", "EPUGen", 0, CatalogFlag, 73},
    {"", "EPUPmg", 0, CatalogFlag, 74},
    {"", "BatFail", 0, CatalogFlag, 75},
    {"", "ToFlcs", 0, CatalogFlag, 76},
    {"", "FlcsRly", 0, CatalogFlag, 77},
    {"", "EPURun", 0, CatalogFlag, 78},
    {"", "Hydrazin", 0, CatalogFlag, 79},
    {"", "Air", 0, CatalogFlag, 80},
    {"ECM Lights", "ECMPwr", 0, CatalogFlag, 81},
    {"", "ECMFail", 0, CatalogFlag, 82},
    {"", "Mode1", 0, CatalogFlag, 83},
    {"", "Mode2", 0, CatalogFlag, 84},
    {"", "Mode3", 0, CatalogFlag, 85},
    {"", "Mode4", 0, CatalogFlag, 86},
    {"", "Mode5", 0, CatalogFlag, 87},
    {"", "Mode__", 0, CatalogFlag, 88},
    {"", "ModeFrm", 0, CatalogFlag, 89},
    {"", "ModeSpl", 0, CatalogFlag, 90},
    {"FLCS Lights", "Run", 0, CatalogFlag, 91},
    {"", "Fail", 0, CatalogFlag, 92},
    {"", "TestA", 0, CatalogFlag, 93},
    {"", "TestB", 0, CatalogFlag, 94},
    {"", "TestC", 0, CatalogFlag, 95},
    {"", "TestD", 0, CatalogFlag, 96},
    {"Other Lights", "ADVMode", 0, CatalogFlag, 97},
    {"", "AVTRMode", 0, CatalogFlag, 98},
    {"", "CTVSMode", 0, CatalogFlag, 99},
    {"HSI Flags", "ToTrue", 0, CatalogFlag, 100},
    {"", "ILSWarning", 0, CatalogFlag, 101},
    {"", "CourseWarning", 0, CatalogFlag, 102},
    {"", "Init", 0, CatalogFlag, 103},
    {"", "TotalFlags", 0, CatalogFlag, 104},
    {"", "Off", 0, CatalogFlag, 105},
    {"ADI Flags", "Aux", 0, CatalogFlag, 107},
    {"", "BackupOff", 0, CatalogFlag, 110},
    {"", "GS", 0, CatalogFlag, 108},
    {"", "Loc", 0, CatalogFlag, 109},
    {"", "Off", 0, CatalogFlag, 106},
    {"Other Flags", "AOAOff", 0, CatalogFlag, 112},
    {"", "VVIOff", 0, CatalogFlag, 111},
    {"Speed Lights", "TooLow", 0, CatalogFlag, 113},
    {"", "VeryLow", 0, CatalogFlag, 114},
    {"", "Low", 0, CatalogFlag, 115},
    {"", "Good", 0, CatalogFlag, 116},
    {"", "High", 0, CatalogFlag, 117},
    {"", "VeryHigh", 0, CatalogFlag, 118},
    {"Primary Data", "Altitude", 0, CatalogValue, 119},
    {"", "Alt10000", 0, CatalogValue, 120},
    {"", "Alt1000", 0, CatalogValue, 121},
    {"", "Alt100", 0, CatalogValue, 122},
    {"", "Alt10", 0, CatalogValue, 123},
    {"", "Mach", 0, CatalogValue, 124},
    {"", "KIAS", 0, CatalogValue, 125},
    {"", "KIAS1000", 0, CatalogValue, 126},
    {"", "KIAS100", 0, CatalogValue, 127},
    {"", "KIAS10", 0, CatalogValue, 128},
    {"", "AOAIndex", 0, CatalogValue, 129},
    {"", "VSIIndex", 0, CatalogValue, 130},
    {"", "Heading", 0, CatalogValue, 131},
    {"", "Roll", 0, CatalogValue, 132},
    {"", "Pitch", 0, CatalogValue, 133},
    {"Secondary Data", "FuelFlow", 0, CatalogValue, 134},
    {"", "OilPressure", 0, CatalogValue, 135},
    {"", "NozzlePos", 0, CatalogValue, 136},
    {"", "RPM", 0, CatalogValue, 137},
    {"", "FTIT", 0, CatalogValue, 138},
    {"", "InternalFuel", 0, CatalogValue, 139},
    {"", "ExternalFuel", 0, CatalogValue, 140},
    {"", "EPUFuel", 0, CatalogValue, 141},
    {"", "SpeedBrake", 0, CatalogValue, 142},
    {"", "ChaffCount", 0, CatalogValue, 143},
    {"", "FlareCount", 0, CatalogValue, 144},
    {"", "UFCTacanChannel", 0, CatalogValue, 145},
    {"", "AUXTacanChannel", 0, CatalogValue, 146},
    {"", "Gs", 0, CatalogValue, 147},
    {"", "TrimPitch", 0, CatalogValue, 148},
    {"", "TrimRoll", 0, CatalogValue, 149},
    {"", "TrimYaw", 0, CatalogValue, 150},
    {"HSI Data", "CourseState", 0, CatalogValue, 151},
    {"", "HeadingState", 0, CatalogValue, 152},
    {"", "CourseDeviation", 0, CatalogValue, 153},
    {"", "DesiredCourse", 0, CatalogValue, 154},
    {"", "DistanceToBeacon", 0, CatalogValue, 155},
    {"", "BearingToBeacon", 0, CatalogValue, 156},
    {"", "CurrentHeading", 0, CatalogValue, 157},
    {"", "DesiredHeading", 0, CatalogValue, 158},
    {"", "DeviationLimit", 0, CatalogValue, 159},
    {"", "HalfDeviationLimit", 0, CatalogValue, 160},
    {"", "LocalizerCourse", 0, CatalogValue, 161},
    {"", "AirbaseX", 0, CatalogValue, 162},
    {"", "AirbaseY", 0, CatalogValue, 163},
    {"ADI Data", "ILSHorPos", 0, CatalogValue, 164},
    {"", "ILSVerPos", 0, CatalogValue, 165},
    {"", "", 0, 0, 0},
};
// clang-format on

namespace {

bool isElement(int pos) {
    return pos >= 0 && pos < kCatalogElements;
}

} // namespace

int findGroup(const char* name) {
    if (name == nullptr) return -1;
    for (int pos = 0; ElementCatalog[pos].elementName[0] != '\0'; ++pos) {
        const char* group = ElementCatalog[pos].groupName;
        if (group[0] != '\0' && ascii::equalIgnoringCase(group, name)) return pos;
    }
    return -1;
}

int findElement(int groupPos, const char* key) {
    if (key == nullptr || !isElement(groupPos) || ElementCatalog[groupPos].groupName[0] == '\0')
        return -1;
    for (int pos = groupPos; ElementCatalog[pos].elementName[0] != '\0'; ++pos) {
        if (pos != groupPos && ElementCatalog[pos].groupName[0] != '\0') break;
        if (ascii::equalIgnoringCase(ElementCatalog[pos].elementName, key)) return pos;
    }
    return -1;
}

void markSeen(int pos) {
    if (isElement(pos)) ElementCatalog[pos].seen = 1;
}

void clearSeen() {
    for (CatalogEntry& entry : ElementCatalog)
        entry.seen = 0;
}

const char* groupOf(int pos) {
    if (pos < 0 || pos >= kCatalogEntries) return "";
    for (; pos >= 0; --pos) {
        if (ElementCatalog[pos].groupName[0] != '\0') return ElementCatalog[pos].groupName;
    }
    return "";
}

namespace {

bool atEnd(const CatalogEntry* catalog, int pos) {
    return catalog[pos].elementName[0] == '\0';
}

bool startsGroup(const CatalogEntry* catalog, int pos) {
    return catalog[pos].groupName[0] != '\0';
}

// One past the last element of the group that starts at groupPos.
int groupEnd(const CatalogEntry* catalog, int groupPos) {
    int pos = groupPos + 1;
    while (!atEnd(catalog, pos) && !startsGroup(catalog, pos))
        ++pos;
    return pos;
}

// Whether groupPos is the first entry of a group; walks, so that a position past the end of a
// smaller catalogue is never read.
bool isGroupStart(const CatalogEntry* catalog, int groupPos) {
    if (groupPos < 0) return false;
    for (int pos = 0; !atEnd(catalog, pos); ++pos) {
        if (pos == groupPos) return startsGroup(catalog, pos);
    }
    return false;
}

} // namespace

std::vector<int> groupsOfKind(std::int32_t kind, const CatalogEntry* catalog) {
    std::vector<int> groups;
    for (int pos = 0; !atEnd(catalog, pos); ++pos) {
        if (startsGroup(catalog, pos) && (kind == kAnyKind || catalog[pos].kind == kind))
            groups.push_back(pos);
    }
    return groups;
}

std::vector<int> elementsOfGroup(int groupPos, const CatalogEntry* catalog) {
    std::vector<int> elements;
    if (!isGroupStart(catalog, groupPos)) return elements;
    for (int pos = groupPos, end = groupEnd(catalog, groupPos); pos < end; ++pos)
        elements.push_back(pos);
    return elements;
}

std::vector<int> allElements(const CatalogEntry* catalog) {
    std::vector<int> elements;
    for (int pos = 0; !atEnd(catalog, pos); ++pos)
        elements.push_back(pos);
    return elements;
}

std::vector<int> unboundElements(std::int32_t kind, const char* groupName,
                                 const CatalogEntry* catalog) {
    int begin = 0;
    int end = 0;
    if (groupName == nullptr || groupName[0] == '\0') {
        while (!atEnd(catalog, end))
            ++end;
    } else {
        while (!atEnd(catalog, begin) && std::strcmp(catalog[begin].groupName, groupName) != 0)
            ++begin;
        end = atEnd(catalog, begin) ? begin : groupEnd(catalog, begin);
    }
    std::vector<int> elements;
    for (int pos = begin; pos < end; ++pos) {
        if (catalog[pos].kind == kind && catalog[pos].seen != 1) elements.push_back(pos);
    }
    return elements;
}

int findElementIndex(std::int32_t elementIndex, const CatalogEntry* catalog) {
    for (int pos = 0; !atEnd(catalog, pos); ++pos) {
        if (catalog[pos].elementIndex == elementIndex) return pos;
    }
    return -1;
}

} // namespace gb
