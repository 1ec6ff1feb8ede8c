#include "platform/emulator_transport.h"

#include <cstring>
#include <windows.h>

namespace gb::platform::emulator {

namespace {

std::string bareName(const char* objectName) {
    if (std::strncmp(objectName, "\\\\.\\", 4) == 0) objectName += 4;
    return objectName;
}

void closeHandle(HANDLE& h) {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
}

} // namespace

std::string endpointName(const std::string& address, const char* objectName) {
    static const char pipeRoot[] = "\\\\.\\pipe\\";
    std::string prefix = address;
    if (prefix.rfind(pipeRoot, 0) != 0) prefix = pipeRoot + prefix;
    if (prefix.back() != '\\') prefix += '\\';
    return prefix + bareName(objectName);
}

// ---------------------------------------------------------------------------------------------
// One pipe instance in overlapped mode, so the program can wait with a timeout and keep its view
// fresh; a second client finds the pipe busy and its open fails.

struct Endpoint::Impl {
    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped{};
    bool connected = false;
    bool pending = false; // an overlapped connect or read is outstanding
    std::uint8_t buffer[MaxMessage];

    // Starts waiting for a client. True when one is already there.
    bool startConnect() {
        std::memset(&overlapped, 0, sizeof overlapped);
        overlapped.hEvent = event;
        ResetEvent(event);
        if (ConnectNamedPipe(pipe, &overlapped)) return true;
        DWORD e = GetLastError();
        if (e == ERROR_PIPE_CONNECTED) return true;
        pending = e == ERROR_IO_PENDING;
        return false;
    }
    // Starts reading a request. True when one arrived at once.
    bool startRead(DWORD& got, bool& broken) {
        std::memset(&overlapped, 0, sizeof overlapped);
        overlapped.hEvent = event;
        ResetEvent(event);
        broken = false;
        if (ReadFile(pipe, buffer, sizeof buffer, &got, &overlapped)) return true;
        DWORD e = GetLastError();
        if (e == ERROR_IO_PENDING) {
            pending = true;
        } else {
            broken = true;
        }
        return false;
    }
};

Endpoint::Endpoint() : impl_(std::make_unique<Impl>()) {}

Endpoint::~Endpoint() {
    if (impl_->pending) CancelIo(impl_->pipe);
    closeHandle(impl_->pipe);
    if (impl_->event != nullptr) CloseHandle(impl_->event);
}

bool Endpoint::listen(const std::string& name, std::string& error) {
    impl_->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    impl_->pipe = CreateNamedPipeA(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, MaxMessage, MaxMessage, 0,
        nullptr);
    if (impl_->pipe == INVALID_HANDLE_VALUE || impl_->event == nullptr) {
        error = name + ": CreateNamedPipe failed, error " + std::to_string(GetLastError());
        return false;
    }
    impl_->connected = impl_->startConnect();
    if (impl_->connected) impl_->pending = false;
    return true;
}

Endpoint::Event Endpoint::wait(int timeoutMs, std::uint8_t* message, std::size_t capacity,
                               std::size_t& length) {
    Impl& m = *impl_;
    if (!m.connected && !m.pending) {
        if (m.startConnect()) {
            m.connected = true;
            return Event::Connected;
        }
        if (!m.pending) return Event::Error;
    }
    DWORD got = 0;
    if (m.connected && !m.pending) {
        bool broken = false;
        if (!m.startRead(got, broken)) {
            if (broken) {
                drop();
                return Event::Disconnected;
            }
        } else {
            length = got < capacity ? got : capacity;
            std::memcpy(message, m.buffer, length);
            return Event::Request;
        }
    }
    if (WaitForSingleObject(m.event, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs)) !=
        WAIT_OBJECT_0) {
        return Event::Timeout;
    }
    m.pending = false;
    BOOL ok = GetOverlappedResult(m.pipe, &m.overlapped, &got, FALSE);
    if (!m.connected) {
        if (!ok && GetLastError() != ERROR_PIPE_CONNECTED) return Event::Timeout;
        m.connected = true;
        return Event::Connected;
    }
    if (!ok) {
        drop();
        return Event::Disconnected;
    }
    length = got < capacity ? got : capacity;
    std::memcpy(message, m.buffer, length);
    return Event::Request;
}

bool Endpoint::reply(const std::uint8_t* message, std::size_t length) {
    Impl& m = *impl_;
    if (!m.connected) return false;
    OVERLAPPED o{};
    o.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    BOOL ok = WriteFile(m.pipe, message, static_cast<DWORD>(length), &done, &o);
    if (!ok && GetLastError() == ERROR_IO_PENDING)
        ok = GetOverlappedResult(m.pipe, &o, &done, TRUE);
    CloseHandle(o.hEvent);
    return ok && done == length;
}

void Endpoint::drop() {
    Impl& m = *impl_;
    if (m.pending) {
        CancelIo(m.pipe);
        DWORD ignored = 0;
        GetOverlappedResult(m.pipe, &m.overlapped, &ignored, TRUE);
        m.pending = false;
    }
    if (m.connected) DisconnectNamedPipe(m.pipe);
    m.connected = false;
}

// ---------------------------------------------------------------------------------------------

struct Connection::Impl {
    HANDLE pipe = INVALID_HANDLE_VALUE;
};

Connection::Connection() : impl_(std::make_unique<Impl>()) {}

Connection::~Connection() {
    close();
}

bool Connection::connect(const std::string& name) {
    impl_->pipe = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (impl_->pipe == INVALID_HANDLE_VALUE) return false;
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(impl_->pipe, &mode, nullptr, nullptr)) {
        closeHandle(impl_->pipe);
        return false;
    }
    return true;
}

bool Connection::exchange(const std::uint8_t* request, std::size_t length,
                          std::uint8_t* replyBuffer, std::size_t capacity,
                          std::size_t& replyLength) {
    if (impl_->pipe == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    if (!WriteFile(impl_->pipe, request, static_cast<DWORD>(length), &done, nullptr) ||
        done != length) {
        return false;
    }
    if (!ReadFile(impl_->pipe, replyBuffer, static_cast<DWORD>(capacity), &done, nullptr) ||
        done == 0) {
        return false;
    }
    replyLength = done;
    return true;
}

void Connection::close() {
    closeHandle(impl_->pipe);
}

} // namespace gb::platform::emulator
