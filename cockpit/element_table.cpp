#include "cockpit/element_table.h"

namespace gb {

// Offsets below 0x0DC are the same in every layout; from 0x0DC on, layout 200 has three trim
// floats first and everything of layout 110 lies 12 bytes further on.
// clang-format off
ElementRecord ElementTable[kElementCount] = {
//   index live     kind                     minLayout offsetL200 offsetL110 offsetL100 mask
    {0, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000001}, // Eyebrow Lights / MasterCaution
    {1, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000002}, // Eyebrow Lights / TFFail
    {2, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0},
    {3, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0},
    {4, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Eyebrow Lights / Ovrd
    {5, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000020}, // Eyebrow Lights / EngFire
    {6, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00100000}, // Eyebrow Lights / Engine
    {7, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000080}, // Eyebrow Lights / HydPress
    {8, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000100}, // Eyebrow Lights / OilPress
    {9, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00040000}, // Eyebrow Lights / FLCS
    {10, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Eyebrow Lights / DruOn
    {11, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000800}, // Eyebrow Lights / ToLdgCfg
    {12, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000400}, // Eyebrow Lights / Canopy
    {13, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0},
    {14, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00040000}, // Caution Lights / FlcsFault
    {15, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000400}, // Caution Lights / ElecSys
    {16, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x01000000}, // Caution Lights / ProbeHeat
    {17, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Caution Lights / Cadc
    {18, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000040}, // Caution Lights / StoresConfig
    {19, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Caution Lights / AftNotEng
    {20, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00040000}, // Caution Lights / FwdFuelLow
    {21, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00080000}, // Caution Lights / AftFuelLow
    {22, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00100000}, // Caution Lights / EngFault
    {23, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00400000}, // Caution Lights / Sec
    {24, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x08000000}, // Caution Lights / FuelOilHot
    {25, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Caution Lights / InletIcing
    {26, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00200000}, // Caution Lights / Overheat
    {27, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Caution Lights / EEC
    {28, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x04000000}, // Caution Lights / BUC
    {29, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00080000}, // Caution Lights / LEFlaps
    {30, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00800000}, // Caution Lights / AviFault
    {31, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Caution Lights / EquipHot
    {32, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x01000000}, // Caution Lights / RadarAlt
    {33, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x02000000}, // Caution Lights / IFF
    {34, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Caution Lights / Nuclear
    {35, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x04000000}, // Caution Lights / ECM
    {36, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0},
    {37, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0},
    {38, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x02000000}, // Caution Lights / SeatNotArm
    {39, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x10000000}, // Caution Lights / NWSFail
    {40, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x10000000}, // Caution Lights / AntiSkid
    {41, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x08000000}, // Caution Lights / Hook
    {42, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00800000}, // Caution Lights / OxyLow
    {43, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000400}, // Caution Lights / CabinPress
    {44, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00000200}, // Caution Lights / Dual
    {45, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0},
    {46, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00001000}, // HUD Lights / AOAAbove
    {47, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00002000}, // HUD Lights / AOAOn
    {48, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00004000}, // HUD Lights / AOABelow
    {49, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00008000}, // HUD Lights / RefuelRDY
    {50, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00010000}, // HUD Lights / NWSAr
    {51, nullptr, ElementKind::BitFlag, 100, 0x06C, 0x06C, 0x06C, 0x00020000}, // HUD Lights / RefuelDSC
    {52, nullptr, ElementKind::Computed, 100, 0, 0, 0, 0}, // Gear Lights / Left
    {53, nullptr, ElementKind::Computed, 100, 0, 0, 0, 1}, // Gear Lights / Nose
    {54, nullptr, ElementKind::Computed, 100, 0, 0, 0, 2}, // Gear Lights / Right
    {55, nullptr, ElementKind::Computed, 100, 0, 0, 0, 3}, // Gear Lights / Handle
    {56, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00000001}, // Threat Lights / HandOff
    {57, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00000002}, // Threat Lights / Missile
    {58, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00000004}, // Threat Lights / PriMode
    {59, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Threat Lights / PriOpen
    {60, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00000008}, // Threat Lights / Naval
    {61, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00000010}, // Threat Lights / Unknown
    {62, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Threat Lights / SysTest
    {63, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00000020}, // Threat Lights / TGTSep
    {64, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00001000}, // Threat Lights / Search
    {65, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00002000}, // Threat Lights / ActPower
    {66, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00004000}, // Threat Lights / AltLow
    {67, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00008000}, // Threat Lights / SysPower
    {68, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00200000}, // Power Lights / JFSRun
    {69, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000001}, // Power Lights / FlcsPmg
    {70, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000002}, // Power Lights / MainGen
    {71, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000004}, // Power Lights / StbyGen
    {72, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0},
    {73, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000008}, // Power Lights / EPUGen
    {74, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000010}, // Power Lights / EPUPmg
    {75, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000080}, // Power Lights / BatFail
    {76, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000020}, // Power Lights / ToFlcs
    {77, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000040}, // Power Lights / FlcsRly
    {78, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x080, 0, 0x00100000}, // Power Lights / EPURun
    {79, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000100}, // Power Lights / Hydrazin
    {80, nullptr, ElementKind::BitFlag, 110, 0x080, 0x080, 0, 0x00000200}, // Power Lights / Air
    {81, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00010000}, // ECM Lights / ECMPwr
    {82, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x00020000}, // ECM Lights / ECMFail
    {83, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / Mode1
    {84, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / Mode2
    {85, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / Mode3
    {86, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / Mode4
    {87, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / Mode5
    {88, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / Mode__
    {89, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / ModeFrm
    {90, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // ECM Lights / ModeSpl
    {91, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // FLCS Lights / Run
    {92, nullptr, ElementKind::BitFlag, 200, 0x080, 0, 0, 0x00000800}, // FLCS Lights / Fail
    {93, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // FLCS Lights / TestA
    {94, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // FLCS Lights / TestB
    {95, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // FLCS Lights / TestC
    {96, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // FLCS Lights / TestD
    {97, nullptr, ElementKind::BitFlag, 110, 0x07C, 0x07C, 0, 0x20000000}, // Other Lights / ADVMode
    {98, nullptr, ElementKind::BitFlag, 110, 0x0E8, 0x0DC, 0, 0x00002000}, // Other Lights / AVTRMode
    {99, nullptr, ElementKind::Absent, 0, 0, 0, 0, 0}, // Other Lights / CTVSMode
    {100, nullptr, ElementKind::BitFlag, 110, 0x0E8, 0x0DC, 0, 0x00000001}, // HSI Flags / ToTrue
    {101, nullptr, ElementKind::BitFlag, 110, 0x0E8, 0x0DC, 0, 0x00000002}, // HSI Flags / ILSWarning
    {102, nullptr, ElementKind::BitFlag, 110, 0x0E8, 0x0DC, 0, 0x00000004}, // HSI Flags / CourseWarning
    {103, nullptr, ElementKind::BitFlag, 110, 0x0E8, 0x0DC, 0, 0x00000008}, // HSI Flags / Init
    {104, nullptr, ElementKind::BitFlag, 110, 0x0E8, 0x0DC, 0, 0x00000010}, // HSI Flags / TotalFlags
    {105, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00000200}, // HSI Flags / Off
    {106, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00000020}, // ADI Flags / Off
    {107, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00000040}, // ADI Flags / Aux
    {108, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00000080}, // ADI Flags / GS
    {109, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00000100}, // ADI Flags / Loc
    {110, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00000400}, // ADI Flags / BackupOff
    {111, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00000800}, // Other Flags / VVIOff
    {112, nullptr, ElementKind::BitFlag, 200, 0x0E8, 0, 0, 0x00001000}, // Other Flags / AOAOff
    {113, nullptr, ElementKind::Computed, 100, 0, 0, 0, 4}, // Speed Lights / TooLow
    {114, nullptr, ElementKind::Computed, 100, 0, 0, 0, 5}, // Speed Lights / VeryLow
    {115, nullptr, ElementKind::Computed, 100, 0, 0, 0, 6}, // Speed Lights / Low
    {116, nullptr, ElementKind::Computed, 100, 0, 0, 0, 7}, // Speed Lights / Good
    {117, nullptr, ElementKind::Computed, 100, 0, 0, 0, 8}, // Speed Lights / High
    {118, nullptr, ElementKind::Computed, 100, 0, 0, 0, 9}, // Speed Lights / VeryHigh
    {119, nullptr, ElementKind::FloatValue, 100, 0x008, 0x008, 0x008, 0}, // Primary Data / Altitude
    {120, nullptr, ElementKind::Computed, 100, 0, 0, 0, 10}, // Primary Data / Alt10000
    {121, nullptr, ElementKind::Computed, 100, 0, 0, 0, 11}, // Primary Data / Alt1000
    {122, nullptr, ElementKind::Computed, 100, 0, 0, 0, 12}, // Primary Data / Alt100
    {123, nullptr, ElementKind::Computed, 100, 0, 0, 0, 13}, // Primary Data / Alt10
    {124, nullptr, ElementKind::FloatValue, 100, 0x030, 0x030, 0x030, 0}, // Primary Data / Mach
    {125, nullptr, ElementKind::FloatValue, 100, 0x034, 0x034, 0x034, 0}, // Primary Data / KIAS
    {126, nullptr, ElementKind::Computed, 100, 0, 0, 0, 14}, // Primary Data / KIAS1000
    {127, nullptr, ElementKind::Computed, 100, 0, 0, 0, 15}, // Primary Data / KIAS100
    {128, nullptr, ElementKind::Computed, 100, 0, 0, 0, 16}, // Primary Data / KIAS10
    {129, nullptr, ElementKind::FloatValue, 100, 0x018, 0x018, 0x018, 0}, // Primary Data / AOAIndex
    {130, nullptr, ElementKind::FloatValue, 100, 0x014, 0x014, 0x014, 0}, // Primary Data / VSIIndex
    {131, nullptr, ElementKind::FloatValue, 100, 0x02C, 0x02C, 0x02C, 0}, // Primary Data / Heading
    {132, nullptr, ElementKind::FloatValue, 100, 0x028, 0x028, 0x028, 0}, // Primary Data / Roll
    {133, nullptr, ElementKind::FloatValue, 100, 0x024, 0x024, 0x024, 0}, // Primary Data / Pitch
    {134, nullptr, ElementKind::FloatValue, 100, 0x050, 0x050, 0x050, 0}, // Secondary Data / FuelFlow
    {135, nullptr, ElementKind::FloatValue, 100, 0x068, 0x068, 0x068, 0}, // Secondary Data / OilPressure
    {136, nullptr, ElementKind::FloatValue, 100, 0x044, 0x044, 0x044, 0}, // Secondary Data / NozzlePos
    {137, nullptr, ElementKind::FloatValue, 100, 0x054, 0x054, 0x054, 0}, // Secondary Data / RPM
    {138, nullptr, ElementKind::FloatValue, 100, 0x058, 0x058, 0x058, 0}, // Secondary Data / FTIT
    {139, nullptr, ElementKind::FloatValue, 100, 0x048, 0x048, 0x048, 0}, // Secondary Data / InternalFuel
    {140, nullptr, ElementKind::FloatValue, 100, 0x04C, 0x04C, 0x04C, 0}, // Secondary Data / ExternalFuel
    {141, nullptr, ElementKind::FloatValue, 100, 0x064, 0x064, 0x064, 0}, // Secondary Data / EPUFuel
    {142, nullptr, ElementKind::FloatValue, 100, 0x060, 0x060, 0x060, 0}, // Secondary Data / SpeedBrake
    {143, nullptr, ElementKind::FloatValue, 110, 0x084, 0x084, 0, 0}, // Secondary Data / ChaffCount
    {144, nullptr, ElementKind::FloatValue, 110, 0x088, 0x088, 0, 0}, // Secondary Data / FlareCount
    {145, nullptr, ElementKind::IntValue, 110, 0x2F4, 0x2E8, 0, 0}, // Secondary Data / UFCTacanChannel
    {146, nullptr, ElementKind::IntValue, 110, 0x2F8, 0x2EC, 0, 0}, // Secondary Data / AUXTacanChannel
    {147, nullptr, ElementKind::FloatValue, 100, 0x03C, 0x03C, 0x03C, 0}, // Secondary Data / Gs
    {148, nullptr, ElementKind::FloatValue, 200, 0x0DC, 0, 0, 0}, // Secondary Data / TrimPitch
    {149, nullptr, ElementKind::FloatValue, 200, 0x0E0, 0, 0, 0}, // Secondary Data / TrimRoll
    {150, nullptr, ElementKind::FloatValue, 200, 0x0E4, 0, 0, 0}, // Secondary Data / TrimYaw
    {151, nullptr, ElementKind::FloatValue, 110, 0x0A0, 0x0A0, 0, 0}, // HSI Data / CourseState
    {152, nullptr, ElementKind::FloatValue, 110, 0x0A4, 0x0A4, 0, 0}, // HSI Data / HeadingState
    {153, nullptr, ElementKind::FloatValue, 110, 0x0AC, 0x0AC, 0, 0}, // HSI Data / CourseDeviation
    {154, nullptr, ElementKind::FloatValue, 110, 0x0B0, 0x0B0, 0, 0}, // HSI Data / DesiredCourse
    {155, nullptr, ElementKind::FloatValue, 110, 0x0B4, 0x0B4, 0, 0}, // HSI Data / DistanceToBeacon
    {156, nullptr, ElementKind::FloatValue, 110, 0x0B8, 0x0B8, 0, 0}, // HSI Data / BearingToBeacon
    {157, nullptr, ElementKind::FloatValue, 110, 0x0BC, 0x0BC, 0, 0}, // HSI Data / CurrentHeading
    {158, nullptr, ElementKind::FloatValue, 110, 0x0C0, 0x0C0, 0, 0}, // HSI Data / DesiredHeading
    {159, nullptr, ElementKind::FloatValue, 110, 0x0C4, 0x0C4, 0, 0}, // HSI Data / DeviationLimit
    {160, nullptr, ElementKind::FloatValue, 110, 0x0C8, 0x0C8, 0, 0}, // HSI Data / HalfDeviationLimit
    {161, nullptr, ElementKind::FloatValue, 110, 0x0CC, 0x0CC, 0, 0}, // HSI Data / LocalizerCourse
    {162, nullptr, ElementKind::FloatValue, 110, 0x0D0, 0x0D0, 0, 0}, // HSI Data / AirbaseX
    {163, nullptr, ElementKind::FloatValue, 110, 0x0D4, 0x0D4, 0, 0}, // HSI Data / AirbaseY
    {164, nullptr, ElementKind::FloatValue, 110, 0x098, 0x098, 0, 0}, // ADI Data / ILSHorPos
    {165, nullptr, ElementKind::FloatValue, 110, 0x09C, 0x09C, 0, 0}, // ADI Data / ILSVerPos
};
// clang-format on

std::size_t blockSizeOf(std::int32_t layout) {
    switch (layout) {
    case kLayout100:
        return kBlockSizeL100;
    case kLayout110:
        return kBlockSizeL110;
    case kLayout200:
        return kBlockSizeL200;
    default:
        return 0;
    }
}

std::uint32_t offsetIn(const ElementRecord& record, std::int32_t layout) {
    const bool carried = record.kind == ElementKind::BitFlag ||
                         record.kind == ElementKind::FloatValue ||
                         record.kind == ElementKind::IntValue;
    if (!carried || record.minLayout > layout) return 0;
    switch (layout) {
    case kLayout100:
        return record.offsetL100;
    case kLayout110:
        return record.offsetL110;
    case kLayout200:
        return record.offsetL200;
    default:
        return 0;
    }
}

} // namespace gb
