#pragma once
// The program's only way to the I/O card: the device library's five procedures, bound all or
// nothing at `open`, behind guarded wrappers that refuse every send while the card is not open
// and count the calls made for the tray's tooltip.

#include <cstdint>

namespace gb {

// The device library's procedures the program uses (quarnio/quarnio.h has their contracts).
using OpenDeviceProc = int (*)(int device);
using CloseDeviceProc = int (*)(int slot);
using SendQPProc = int (*)(int slot, int qp);
using SendPHProc = int (*)(int slot, int ph, int b0, int b1, int b2, int b3);
using GetAnalogsProc = int (*)(int slot, void* buffer);

struct DeviceProcedures {
    OpenDeviceProc openDevice = nullptr;
    CloseDeviceProc closeDevice = nullptr;
    SendQPProc sendQP = nullptr;
    SendPHProc sendPH = nullptr;
    GetAnalogsProc getAnalogs = nullptr;

    bool complete() const {
        return openDevice != nullptr && closeDevice != nullptr && sendQP != nullptr &&
               sendPH != nullptr && getAnalogs != nullptr;
    }
};

// Looks the five procedures up by their exported names ("_OpenDevice", ...) in a loaded module.
// All or nothing: false, with `out` untouched, when any one is missing.
bool resolveDeviceProcedures(void* module, DeviceProcedures& out);

class DeviceBinding {
public:
    static constexpr int kAnalogBytes = 64;

    DeviceBinding() = default;
    // Closes the card. The library module stays loaded.
    virtual ~DeviceBinding();
    DeviceBinding(const DeviceBinding&) = delete;
    DeviceBinding& operator=(const DeviceBinding&) = delete;

    // Loads the device library by its plain file name (platform::deviceLibraryName(),
    // "QUARNIO.DLL" on Windows), binds its procedures and opens card `cardNumber`. True at once,
    // without a second library call, when the card is already open. Each failure shows its
    // message box (no owner, OK button, no icon) and leaves the card closed: "Failure to load
    // QUARNIO.DLL" or "Failure loading QUARNIO.DLL procedures" (caption "Could not init
    // QUARN.DLL"), "Error, can't open QUARN device!" (caption "Could not open QUARN").
    bool open(std::int32_t cardNumber);
    // The same from a module of another file name (test stand-ins of the library).
    bool open(std::int32_t cardNumber, const char* moduleFileName);
    // The same with procedures already at hand (the library linked in, as tests do); an
    // incomplete set gets the procedures message and nothing of it is called.
    bool open(std::int32_t cardNumber, const DeviceProcedures& procedures);

    // Releases the card's slot; nothing when it is not open.
    void close();
    bool isOpen() const { return deviceSlot_ >= 0; }

    // Calls QProc `qp`. False, counting nothing, when the card is not open or qp is negative.
    bool sendQP(std::int32_t qp);
    // Writes Pigeon-hole `ph` (0-255) with the low 8 bits of each byte. False, counting nothing,
    // when the card is not open or ph is out of range.
    bool sendPH(std::int32_t ph, std::int32_t b0, std::int32_t b1, std::int32_t b2,
                std::int32_t b3);
    // sendPH with the first `count` (1-4) of `bytes` and zeros after them; false for another
    // count or no bytes.
    bool sendPHBytes(std::int32_t ph, const std::uint8_t* bytes, std::int32_t count);
    // Fetches the card's 64 input bytes into `buffer`; false when the card is not open.
    bool getAnalogs(std::uint8_t* buffer);

    // The library's slot for the open card; -1 while closed.
    std::int32_t deviceSlot() const { return deviceSlot_; }
    // Calls made since the program started, whatever the library answered. They wrap around
    // after 2^32 calls (the tooltip then shows negative counts) instead of overflowing.
    std::int32_t qpCalls() const { return static_cast<std::int32_t>(qpCalls_); }
    std::int32_t phCalls() const { return static_cast<std::int32_t>(phCalls_); }

private:
    bool openWith(std::int32_t cardNumber, const DeviceProcedures& procedures);

    std::int32_t deviceSlot_ = -1;
    std::uint32_t qpCalls_ = 0;
    std::uint32_t phCalls_ = 0;
    DeviceProcedures procedures_;
};

} // namespace gb
