#include "platform/shared_block.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A publisher holds an open-file-description lock (F_OFD_SETLK) on its object for as long as it
// runs; the kernel drops it when the process dies, however it dies. So a starting publisher can
// tell a live rival (refuse) from an orphan left by a killed one (replace), and a reader can ask
// whether anyone still publishes what it maps, without taking a lock itself. OFD locks, unlike
// classic fcntl locks, survive the process closing other descriptors of the same object (a
// test that publishes and reads in one process does exactly that).

namespace gb::platform {

namespace {

// POSIX shared-memory objects live in one flat namespace whose names start with a slash.
struct PosixBlock {
    int fd;
    std::string name;
    bool owner;
    dev_t device;
    ino_t inode;
};

std::string objectName(const char* name) {
    return std::string("/") + name;
}

bool lockRange(int fd, short type, int command, struct flock& lock) {
    std::memset(&lock, 0, sizeof lock);
    lock.l_type = type;
    lock.l_whence = SEEK_SET; // start 0, length 0: the whole object, however it grows
    return fcntl(fd, command, &lock) == 0;
}

// Whether `name` names the object described by `st` now.
bool namesObject(const std::string& name, const struct stat& st) {
    const int fd = shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0) return false;
    struct stat now {};
    const bool same = fstat(fd, &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
    close(fd);
    return same;
}

// ---------------------------------------------------------------------------------------------
// Read-only views survive their object shrinking: an access past the new end raises SIGBUS, and
// the handler puts zero pages in place of the view's lost part, so the read is retried and reads
// zeros. The reader learns of it from sharedBlockState (Shrunk). Faults outside our views go to
// whatever handled SIGBUS before.

constexpr int kGuardedViews = 32;
struct GuardedView {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::size_t> length{0};
};
GuardedView g_views[kGuardedViews];
std::atomic<bool> g_guardInstalled{false};
struct sigaction g_previousBusAction {};
std::uintptr_t g_pageSize = 4096;

extern "C" void onBusError(int, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (GuardedView& view : g_views) {
        const std::uintptr_t start = view.start.load();
        const std::size_t length = view.length.load();
        if (start == 0 || address < start || address - start >= length) continue;
        const std::uintptr_t page = address & ~(g_pageSize - 1);
        if (mmap(reinterpret_cast<void*>(page), start + length - page, PROT_READ,
                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
            return;
    }
    // Not one of ours: the earlier disposition takes the repeated fault.
    sigaction(SIGBUS, &g_previousBusAction, nullptr);
}

void guardView(const void* view, std::size_t bytes) {
    if (!g_guardInstalled.exchange(true)) {
        g_pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &g_previousBusAction);
    }
    for (GuardedView& slot : g_views) {
        std::uintptr_t expected = 0;
        if (slot.start.load() != 0) continue;
        slot.length.store(bytes);
        if (slot.start.compare_exchange_strong(expected, reinterpret_cast<std::uintptr_t>(view)))
            return;
    }
}

void unguardView(const void* view) {
    for (GuardedView& slot : g_views) {
        if (slot.start.load() == reinterpret_cast<std::uintptr_t>(view)) {
            slot.start.store(0);
            slot.length.store(0);
        }
    }
}

} // namespace

SharedBlockHandle openSharedBlock(const char* name) {
    if (name == nullptr) return nullptr;
    const std::string object = objectName(name);
    const int fd = shm_open(object.c_str(), O_RDONLY, 0);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        close(fd);
        return nullptr;
    }
    return new PosixBlock{fd, object, false, st.st_dev, st.st_ino};
}

const void* mapSharedBlockView(SharedBlockHandle block, std::size_t bytes) {
    auto* b = static_cast<PosixBlock*>(block);
    struct stat st {};
    // mmap would map past the end of a small object without complaint; Windows refuses such a
    // view, and the program tells the block layouts apart by exactly that refusal.
    if (b == nullptr || bytes == 0 || fstat(b->fd, &st) != 0 ||
        static_cast<std::size_t>(st.st_size) < bytes)
        return nullptr;
    void* address = mmap(nullptr, bytes, PROT_READ, MAP_SHARED, b->fd, 0);
    if (address == MAP_FAILED) return nullptr;
    guardView(address, bytes);
    return address;
}

void unmapSharedBlockView(const void* view, std::size_t bytes) {
    if (view == nullptr) return;
    unguardView(view);
    munmap(const_cast<void*>(view), bytes);
}

void closeSharedBlock(SharedBlockHandle block) {
    auto* b = static_cast<PosixBlock*>(block);
    if (b == nullptr) return;
    if (b->owner) {
        struct stat mine {};
        mine.st_dev = b->device;
        mine.st_ino = b->inode;
        // Another publisher's block under the same name is not ours to remove.
        if (namesObject(b->name, mine)) shm_unlink(b->name.c_str());
    }
    close(b->fd); // releases the publisher's lock
    delete b;
}

SharedBlockState sharedBlockState(SharedBlockHandle block, std::size_t bytesInUse) {
    auto* b = static_cast<PosixBlock*>(block);
    if (b == nullptr) return SharedBlockState::Removed;
    struct stat st {};
    if (fstat(b->fd, &st) != 0 || static_cast<std::size_t>(st.st_size) < bytesInUse)
        return SharedBlockState::Shrunk;
    const int named = shm_open(b->name.c_str(), O_RDONLY, 0);
    if (named < 0) return SharedBlockState::Removed;
    struct stat now {};
    const bool same = fstat(named, &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino;
    close(named);
    if (!same) return SharedBlockState::Replaced;
    struct flock probe {};
    if (lockRange(b->fd, F_RDLCK, F_OFD_GETLK, probe) && probe.l_type == F_UNLCK)
        return SharedBlockState::OwnerGone;
    return SharedBlockState::Live;
}

SharedBlockHandle createSharedBlock(const char* name, std::size_t bytes, void** view,
                                    SharedBlockCreated* outcome) {
    SharedBlockCreated ignored;
    SharedBlockCreated& result = outcome != nullptr ? *outcome : ignored;
    result = SharedBlockCreated::Failed;
    if (name == nullptr || bytes == 0 || view == nullptr) return nullptr;
    const std::string object = objectName(name);
    bool replaced = false;
    // Each round opens whatever the name holds and tries to become its publisher; a round is
    // repeated only when a rival changed the name meanwhile.
    for (int round = 0; round < 8; ++round) {
        const int fd = shm_open(object.c_str(), O_RDWR | O_CREAT, 0644);
        if (fd < 0) return nullptr;
        struct flock lock {};
        if (!lockRange(fd, F_WRLCK, F_OFD_SETLK, lock)) {
            const bool held = errno == EAGAIN || errno == EACCES;
            close(fd);
            if (held) result = SharedBlockCreated::Busy;
            return nullptr;
        }
        struct stat st {};
        if (fstat(fd, &st) != 0) {
            close(fd);
            return nullptr;
        }
        if (!namesObject(object, st)) { // unlinked by a rival between our open and lock
            close(fd);
            continue;
        }
        if (st.st_size != 0) {
            // Nobody holds it and it has been sized: an orphan of a publisher that is gone.
            // A new object rather than reuse, so its readers can see that it was replaced.
            shm_unlink(object.c_str());
            close(fd);
            replaced = true;
            continue;
        }
        void* address = MAP_FAILED;
        if (ftruncate(fd, static_cast<off_t>(bytes)) == 0)
            address = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (address == MAP_FAILED) {
            shm_unlink(object.c_str());
            close(fd);
            return nullptr;
        }
        std::memset(address, 0, bytes);
        *view = address;
        result = replaced ? SharedBlockCreated::ReplacedOrphan : SharedBlockCreated::New;
        return new PosixBlock{fd, object, true, st.st_dev, st.st_ino};
    }
    return nullptr;
}

void destroySharedBlock(SharedBlockHandle block, void* view, std::size_t bytes) {
    if (view != nullptr) munmap(view, bytes);
    closeSharedBlock(block);
}

} // namespace gb::platform
