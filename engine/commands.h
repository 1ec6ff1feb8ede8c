#pragma once
// The tray's icon resources and menu commands the engine refers to. The numbers are the
// program's resource ids; ui/resource.h gives the same numbers to the resource script.

namespace gb {

constexpr int kTrayIconIdle = 129;     // blue: not transferring
constexpr int kTrayIconTransfer = 130; // green: attached and transferring
constexpr int kTrayIconNoCard = 131;   // red: the card could not be opened

constexpr unsigned kCommandTransferStart = 32772;
constexpr unsigned kCommandTransferStop = 32773;

} // namespace gb
