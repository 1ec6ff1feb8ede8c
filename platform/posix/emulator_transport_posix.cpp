#include "platform/emulator_transport.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace gb::platform::emulator {

namespace {

std::string bareName(const char* objectName) {
    if (std::strncmp(objectName, "\\\\.\\", 4) == 0) objectName += 4;
    return objectName;
}

bool makeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// The serving emulator holds a lock on "<socket>.lock" for as long as it runs; the kernel drops
// it when the process dies. So a second emulator for the same device is refused, and a socket
// file left by a killed one (nobody holds the lock) is replaced. The fd is -1 when another
// emulator holds the lock (`busy`) or on failure.
int lockEndpoint(const std::string& lockPath, bool& busy) {
    busy = false;
    // A round is repeated when the previous holder removed the lock file between our open and
    // our lock: the lock must be on the file that the name refers to.
    for (int round = 0; round < 8; ++round) {
        int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return -1;
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (::fcntl(fd, F_OFD_SETLK, &lock) != 0) {
            busy = errno == EAGAIN || errno == EACCES;
            closeFd(fd);
            return -1;
        }
        struct stat mine {};
        struct stat named {};
        if (::fstat(fd, &mine) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
            mine.st_dev == named.st_dev && mine.st_ino == named.st_ino)
            return fd;
        closeFd(fd);
    }
    return -1;
}

} // namespace

std::string endpointName(const std::string& address, const char* objectName) {
    std::string folder = address;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/" + bareName(objectName);
}

// ---------------------------------------------------------------------------------------------

struct Endpoint::Impl {
    int listener = -1;
    int client = -1;
    int lock = -1;
    std::string path;
    std::string lockPath;
};

Endpoint::Endpoint() : impl_(std::make_unique<Impl>()) {}

Endpoint::~Endpoint() {
    closeFd(impl_->client);
    if (impl_->listener >= 0) {
        // Only the lock holder's socket is under this name, so it is ours to remove.
        closeFd(impl_->listener);
        ::unlink(impl_->path.c_str());
    }
    if (impl_->lock >= 0) {
        ::unlink(impl_->lockPath.c_str());
        closeFd(impl_->lock);
    }
}

bool Endpoint::listen(const std::string& name, std::string& error) {
    sockaddr_un address;
    if (!makeAddress(name, address)) {
        error = "socket path too long or empty: " + name;
        return false;
    }
    bool busy = false;
    impl_->lockPath = name + ".lock";
    impl_->lock = lockEndpoint(impl_->lockPath, busy);
    if (impl_->lock < 0) {
        error = busy ? "another quarn-emulator serves this device at " + name
                     : impl_->lockPath + ": " + std::strerror(errno);
        return false;
    }
    impl_->listener = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (impl_->listener < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    // Holding the lock, a socket file under the name was left by an emulator that was killed.
    ::unlink(name.c_str());
    if (::bind(impl_->listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(impl_->listener, 4) != 0) {
        error = name + ": " + std::strerror(errno);
        closeFd(impl_->listener);
        return false;
    }
    impl_->path = name;
    return true;
}

Endpoint::Event Endpoint::wait(int timeoutMs, std::uint8_t* message, std::size_t capacity,
                               std::size_t& length) {
    pollfd fds[2] = {{impl_->listener, POLLIN, 0}, {impl_->client, POLLIN, 0}};
    int n = ::poll(fds, impl_->client >= 0 ? 2 : 1, timeoutMs);
    if (n < 0) return errno == EINTR ? Event::Timeout : Event::Error;
    if (n == 0) return Event::Timeout;
    if (impl_->client >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        ssize_t got = ::recv(impl_->client, message, capacity, 0);
        if (got <= 0) {
            closeFd(impl_->client);
            return Event::Disconnected;
        }
        length = static_cast<std::size_t>(got);
        return Event::Request;
    }
    if ((fds[0].revents & POLLIN) != 0) {
        int fd = ::accept4(impl_->listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return Event::Timeout;
        if (impl_->client >= 0) {
            ::close(fd); // busy: the newcomer's open fails
            return Event::Timeout;
        }
        impl_->client = fd;
        return Event::Connected;
    }
    return Event::Timeout;
}

bool Endpoint::reply(const std::uint8_t* message, std::size_t length) {
    if (impl_->client < 0) return false;
    return ::send(impl_->client, message, length, MSG_NOSIGNAL) == static_cast<ssize_t>(length);
}

void Endpoint::drop() {
    closeFd(impl_->client);
}

// ---------------------------------------------------------------------------------------------

struct Connection::Impl {
    int fd = -1;
};

Connection::Connection() : impl_(std::make_unique<Impl>()) {}

Connection::~Connection() {
    close();
}

bool Connection::connect(const std::string& name) {
    sockaddr_un address;
    if (!makeAddress(name, address)) return false;
    impl_->fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (impl_->fd < 0) return false;
    if (::connect(impl_->fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closeFd(impl_->fd);
        return false;
    }
    return true;
}

bool Connection::exchange(const std::uint8_t* request, std::size_t length,
                          std::uint8_t* replyBuffer, std::size_t capacity,
                          std::size_t& replyLength) {
    if (impl_->fd < 0) return false;
    if (::send(impl_->fd, request, length, MSG_NOSIGNAL) != static_cast<ssize_t>(length)) {
        return false;
    }
    ssize_t got;
    do {
        got = ::recv(impl_->fd, replyBuffer, capacity, 0);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) return false;
    replyLength = static_cast<std::size_t>(got);
    return true;
}

void Connection::close() {
    closeFd(impl_->fd);
}

} // namespace gb::platform::emulator
