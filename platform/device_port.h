#pragma once
// The device port: how the device library reaches a QUARN card. Open a device object by name,
// write and read 64-byte packets, pass a control request with 128-byte buffers, close.
//
// Which backend serves the port:
// - A backend installed with setDevicePortBackend always wins. Tests install the in-process card
//   emulator (tools/card_emulator) or a scripted fake this way.
// - Otherwise, when the environment variable QUARNIO_EMULATOR is set and not empty, the emulator
//   client serves the port: emulatorClientBackend(value) (device_port_emulator.cpp), which
//   reaches the emulator program(s) over the emulator transport (emulator_transport.h): a
//   Unix-domain socket natively, a named pipe on Windows. The client alone interprets the value.
// - Otherwise, in the Windows build, the driver backend (platform/win32): CreateFileA(name,
//   GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), ReadFile /
//   WriteFile of 64 bytes, DeviceIoControl with 128-byte buffers, CloseHandle.
// - Otherwise, in the native build, no driver exists: every open fails.
// The default choice is made at the first use of the port and kept for the process.
//
// Results follow the Win32 calls they stand for, so the library judges them the same way on every
// backend: open gives a handle or InvalidDeviceHandle (CreateFileA), the others give true for
// success and report the bytes moved (ReadFile, WriteFile, DeviceIoControl).

#include <cstdint>
#include <memory>

namespace gb::platform {

// An open device object. On Windows the driver's HANDLE; other backends choose their own values,
// never InvalidDeviceHandle.
using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle InvalidDeviceHandle = -1; // INVALID_HANDLE_VALUE

inline constexpr std::uint32_t DevicePacketSize = 64;         // every read and write
inline constexpr std::uint32_t DeviceControlBufferSize = 128; // both control buffers

// Device object names: "\\.\QUARNISADevice0" (ISA card), "\\.\QUARNUSBDevice0".."6" (USB cards).
inline constexpr const char* IsaDeviceName = "\\\\.\\QUARNISADevice0";
inline constexpr const char* UsbDeviceNamePrefix = "\\\\.\\QUARNUSBDevice";

// Control requests (device type 0x22, functions 0x803 and 0x804, buffered, any access).
inline constexpr std::uint32_t ControlStartUsbIntPoll = 0x22200C;
inline constexpr std::uint32_t ControlStopUsbIntPoll = 0x222010;

// A table of operations on device objects. One backend serves every device object of the
// process; it tells its devices apart by handle. All calls come from one thread.
class DevicePortBackend {
public:
    virtual ~DevicePortBackend() = default;

    // Opens an existing device object for reading and writing (read access shared). Returns
    // InvalidDeviceHandle when no such object exists or it cannot be opened.
    virtual DeviceHandle open(const char* name) = 0;

    // Writes `length` bytes (64 from the library). False on failure; *written gets the bytes
    // taken (0 on failure). `written` is never null.
    virtual bool write(DeviceHandle handle, const void* data, std::uint32_t length,
                       std::uint32_t* written) = 0;

    // Reads one packet of at most `length` bytes (64 from the library) into `data`. False on
    // failure, and then `data` is left as it was; *read gets the bytes stored. `read` is never
    // null.
    virtual bool read(DeviceHandle handle, void* data, std::uint32_t length,
                      std::uint32_t* read) = 0;

    // A driver control request with an input and an output buffer (128 bytes each from the
    // library). False on failure; *returned gets the bytes stored in `out`. `returned` is never
    // null.
    virtual bool control(DeviceHandle handle, std::uint32_t code, const void* in,
                         std::uint32_t inLength, void* out, std::uint32_t outLength,
                         std::uint32_t* returned) = 0;

    // Closes a handle from open. False when the handle was not open.
    virtual bool close(DeviceHandle handle) = 0;
};

// Installs a backend for every following call (nullptr: back to the default choice above).
// Returns the one installed before. The caller keeps ownership and must not destroy an installed
// backend while handles from it are still in use.
DevicePortBackend* setDevicePortBackend(DevicePortBackend* backend);

// The backend that serves the port now: the installed one, else the default. Never null.
DevicePortBackend& devicePort();

// The emulator client. Returns a backend that lives until the process ends and reaches the
// emulator program(s) that `address` (the value of QUARNIO_EMULATOR) names, or nullptr when
// `address` is unusable.
DevicePortBackend* emulatorClientBackend(const char* address);

// A client of its own for an address of the caller's choice (tests), owned by the caller.
std::unique_ptr<DevicePortBackend> makeEmulatorClient(const char* address);

} // namespace gb::platform
