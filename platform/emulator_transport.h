#pragma once
// Message transport between the card emulator program (tools/card_emulator) and the device port's
// emulator client backend: a Unix-domain SOCK_SEQPACKET socket natively, a message-mode named
// pipe on Windows. One endpoint per device object name; the address (the value of
// QUARNIO_EMULATOR) is the socket folder, or the pipe prefix on Windows. Backends:
// posix/emulator_transport_posix.cpp, win32/emulator_transport_win32.cpp (CMake picks one).
//
// Requests and replies are single messages:
//   'O' <object name>            -> [ok]
//   'W' <bytes>                  -> [ok] <u32 bytes taken>
//   'R' <u32 length>             -> [ok] <bytes read>
//   'C' <u32 code> <u32 in> <u32 out> -> [ok] <u32 bytes returned>
// u32 values are little-endian. Closing the connection closes the device object.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace gb::platform::emulator {

constexpr std::size_t MaxMessage = 512;

// The endpoint's full name for a device object: "<folder>/QUARNUSBDevice0", or
// "\\.\pipe\<prefix>\QUARNUSBDevice0" on Windows. `objectName` may carry a leading "\\.\".
std::string endpointName(const std::string& address, const char* objectName);

// The emulator program's side: one endpoint, one client at a time (the driver shares read
// access only, so a second open for writing is refused there too).
class Endpoint {
public:
    enum class Event {
        Timeout,
        Connected,
        Request,
        Disconnected,
        Error
    };

    Endpoint();
    ~Endpoint();
    Endpoint(const Endpoint&) = delete;
    Endpoint& operator=(const Endpoint&) = delete;

    bool listen(const std::string& name, std::string& error);
    // Waits up to timeoutMs for something to happen. On Request, `message` holds `length` bytes.
    Event wait(int timeoutMs, std::uint8_t* message, std::size_t capacity, std::size_t& length);
    bool reply(const std::uint8_t* message, std::size_t length);
    // Ends the current client's connection, if any.
    void drop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The client's side: one connection per open device object.
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool connect(const std::string& name);
    // Sends one request and waits for its reply. False when the connection is gone.
    bool exchange(const std::uint8_t* request, std::size_t length, std::uint8_t* replyBuffer,
                  std::size_t capacity, std::size_t& replyLength);
    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

inline void putU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::uint32_t getU32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace gb::platform::emulator
