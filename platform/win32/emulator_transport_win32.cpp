#include "platform/emulator_transport.h"

#include <cstring>
#include <windows.h>

namespace gb::platform::emulator {

namespace {

// How long a client waits for a free pipe instance before its open fails.
constexpr ULONGLONG BusyWaitMs = 2000;

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
// Two pipe instances in overlapped mode, so the program can wait with a timeout and keep its view
// fresh. One serves the client; the other listens all the while, so that a program which closes
// the device and opens it again at once finds an instance free before the emulator has even seen
// the old connection end (with a single instance its open would fail with ERROR_PIPE_BUSY). A
// newcomer while the client is still there is disconnected at once: its open fails, as a second
// open of the driver's device object does.

namespace {

struct Instance {
    enum class State {
        Idle,      // disconnected; ConnectNamedPipe not yet called
        Listening, // an overlapped connect is outstanding
        Arrived,   // a client connected; not yet taken on (the event stays set until it is)
        Serving,   // the endpoint's client
    };

    HANDLE pipe = INVALID_HANDLE_VALUE;
    HANDLE event = nullptr;
    OVERLAPPED overlapped{};
    State state = State::Idle;
    bool reading = false; // serving, with an overlapped read outstanding
    std::uint8_t buffer[MaxMessage];

    bool create(const std::string& name, bool first) {
        event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        pipe = CreateNamedPipeA(name.c_str(),
                                PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                                    (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
                                PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 2,
                                MaxMessage, MaxMessage, 0, nullptr);
        return pipe != INVALID_HANDLE_VALUE && event != nullptr;
    }

    void destroy() {
        disconnect();
        closeHandle(pipe);
        if (event != nullptr) CloseHandle(event);
        event = nullptr;
    }

    void restartOverlapped() {
        std::memset(&overlapped, 0, sizeof overlapped);
        overlapped.hEvent = event;
        ResetEvent(event);
    }

    // Starts listening for a client. False when the pipe cannot listen at all.
    bool listen() {
        for (int attempt = 0; attempt < 4; ++attempt) {
            restartOverlapped();
            if (ConnectNamedPipe(pipe, &overlapped)) {
                // Done at once: report it through the event as an overlapped completion would.
                state = State::Arrived;
                SetEvent(event);
                return true;
            }
            DWORD e = GetLastError();
            if (e == ERROR_IO_PENDING) {
                state = State::Listening;
                return true;
            }
            if (e == ERROR_PIPE_CONNECTED) {
                state = State::Arrived;
                SetEvent(event);
                return true;
            }
            // A client came and went before we listened: clear its connection and listen again.
            if (e != ERROR_NO_DATA) break;
            DisconnectNamedPipe(pipe);
        }
        state = State::Idle;
        return false;
    }

    // Starts reading a request. True when one arrived at once (`got` bytes).
    bool startRead(DWORD& got, bool& broken) {
        restartOverlapped();
        broken = false;
        if (ReadFile(pipe, buffer, sizeof buffer, &got, &overlapped)) return true;
        if (GetLastError() == ERROR_IO_PENDING) {
            reading = true;
        } else {
            broken = true;
        }
        return false;
    }

    // Whether the client end of a served connection is still open.
    bool clientPresent() const {
        DWORD available = 0;
        if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return true;
        DWORD e = GetLastError();
        return e != ERROR_BROKEN_PIPE && e != ERROR_PIPE_NOT_CONNECTED && e != ERROR_NO_DATA;
    }

    // Ends whatever the instance is doing; it is Idle afterwards.
    void disconnect() {
        if (pipe == INVALID_HANDLE_VALUE) return;
        if (state == State::Listening || reading) {
            CancelIo(pipe);
            DWORD ignored = 0;
            GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
        }
        reading = false;
        if (state != State::Idle) DisconnectNamedPipe(pipe);
        state = State::Idle;
    }
};

} // namespace

struct Endpoint::Impl {
    Instance instances[2];
    int client = -1; // the serving instance, or -1

    // Ends the client's connection and has its instance listen again.
    void endClient() {
        Instance& served = instances[client];
        served.disconnect();
        served.listen();
        client = -1;
    }
};

Endpoint::Endpoint() : impl_(std::make_unique<Impl>()) {}

Endpoint::~Endpoint() {
    for (Instance& instance : impl_->instances)
        instance.destroy();
}

bool Endpoint::listen(const std::string& name, std::string& error) {
    // The first instance is created as the first of its name, so a second emulator for the same
    // device object is refused.
    for (int i = 0; i < 2; ++i) {
        Instance& instance = impl_->instances[i];
        if (!instance.create(name, i == 0)) {
            const DWORD code = GetLastError();
            // Another emulator made the first instance: Windows says access denied, Wine pipe busy.
            if (i == 0 && (code == ERROR_ACCESS_DENIED || code == ERROR_PIPE_BUSY))
                error = "another quarn-emulator serves this device at " + name;
            else
                error = name + ": CreateNamedPipe failed, error " + std::to_string(code);
            return false;
        }
    }
    for (Instance& instance : impl_->instances) {
        if (!instance.listen()) {
            error = name + ": ConnectNamedPipe failed, error " + std::to_string(GetLastError());
            return false;
        }
    }
    return true;
}

Endpoint::Event Endpoint::wait(int timeoutMs, std::uint8_t* message, std::size_t capacity,
                               std::size_t& length) {
    Impl& m = *impl_;
    DWORD got = 0;
    if (m.client >= 0 && !m.instances[m.client].reading) {
        Instance& served = m.instances[m.client];
        bool broken = false;
        if (served.startRead(got, broken)) {
            length = got < capacity ? got : capacity;
            std::memcpy(message, served.buffer, length);
            return Event::Request;
        }
        if (broken) {
            m.endClient();
            return Event::Disconnected;
        }
    }
    for (Instance& instance : m.instances) {
        if (instance.state == Instance::State::Idle && !instance.listen()) return Event::Error;
    }

    // The client's event comes first: when it has gone and a newcomer has arrived, the end is
    // reported before the arrival.
    HANDLE events[2];
    int owner[2];
    DWORD count = 0;
    if (m.client >= 0) {
        events[count] = m.instances[m.client].event;
        owner[count++] = m.client;
    }
    for (int i = 0; i < 2; ++i) {
        if (i == m.client) continue;
        events[count] = m.instances[i].event;
        owner[count++] = i;
    }
    DWORD result = WaitForMultipleObjects(count, events, FALSE,
                                          timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
    if (result == WAIT_TIMEOUT) return Event::Timeout;
    if (result < WAIT_OBJECT_0 || result >= WAIT_OBJECT_0 + count) return Event::Error;
    int which = owner[result - WAIT_OBJECT_0];
    Instance& instance = m.instances[which];

    if (which == m.client) {
        instance.reading = false;
        if (!GetOverlappedResult(instance.pipe, &instance.overlapped, &got, FALSE)) {
            m.endClient();
            return Event::Disconnected;
        }
        length = got < capacity ? got : capacity;
        std::memcpy(message, instance.buffer, length);
        return Event::Request;
    }

    if (instance.state == Instance::State::Listening) {
        BOOL ok = GetOverlappedResult(instance.pipe, &instance.overlapped, &got, FALSE);
        if (!ok && GetLastError() != ERROR_PIPE_CONNECTED) {
            // The newcomer left again; the next wait listens anew.
            instance.state = Instance::State::Arrived;
            instance.disconnect();
            return Event::Timeout;
        }
        instance.state = Instance::State::Arrived; // its event stays set until it is taken on
    }
    if (m.client >= 0) {
        if (m.instances[m.client].clientPresent()) {
            // Busy: the newcomer's open fails.
            instance.disconnect();
            instance.listen();
            return Event::Timeout;
        }
        // The client has gone though its read has not told us yet; the newcomer is taken on at
        // the next wait.
        m.endClient();
        return Event::Disconnected;
    }
    instance.state = Instance::State::Serving;
    ResetEvent(instance.event);
    m.client = which;
    return Event::Connected;
}

bool Endpoint::reply(const std::uint8_t* message, std::size_t length) {
    Impl& m = *impl_;
    if (m.client < 0) return false;
    HANDLE pipe = m.instances[m.client].pipe;
    OVERLAPPED o{};
    o.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD done = 0;
    BOOL ok = WriteFile(pipe, message, static_cast<DWORD>(length), &done, &o);
    if (!ok && GetLastError() == ERROR_IO_PENDING) ok = GetOverlappedResult(pipe, &o, &done, TRUE);
    CloseHandle(o.hEvent);
    return ok && done == length;
}

void Endpoint::drop() {
    if (impl_->client >= 0) impl_->endClient();
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
    const ULONGLONG deadline = GetTickCount64() + BusyWaitMs;
    for (;;) {
        impl_->pipe = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (impl_->pipe != INVALID_HANDLE_VALUE) break;
        // Every instance is taken for the moment, e.g. by a connection that has just ended and
        // that the emulator has not yet seen go: wait for one to listen again.
        if (GetLastError() != ERROR_PIPE_BUSY) return false;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        if (!WaitNamedPipeA(name.c_str(), static_cast<DWORD>(deadline - now))) return false;
    }
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
