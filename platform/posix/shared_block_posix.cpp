#include "platform/shared_block.h"

#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gb::platform {

namespace {

// POSIX shared-memory objects live in one flat namespace whose names start with a slash.
struct PosixBlock {
    int fd;
    std::string name;
    bool owner;
};

std::string objectName(const char* name) {
    return std::string("/") + name;
}

} // namespace

SharedBlockHandle openSharedBlock(const char* name) {
    if (name == nullptr) return nullptr;
    const std::string object = objectName(name);
    const int fd = shm_open(object.c_str(), O_RDONLY, 0);
    if (fd < 0) return nullptr;
    return new PosixBlock{fd, object, false};
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
    return address == MAP_FAILED ? nullptr : address;
}

void unmapSharedBlockView(const void* view, std::size_t bytes) {
    if (view != nullptr) munmap(const_cast<void*>(view), bytes);
}

void closeSharedBlock(SharedBlockHandle block) {
    auto* b = static_cast<PosixBlock*>(block);
    if (b == nullptr) return;
    close(b->fd);
    if (b->owner) shm_unlink(b->name.c_str());
    delete b;
}

SharedBlockHandle createSharedBlock(const char* name, std::size_t bytes, void** view) {
    if (name == nullptr || bytes == 0 || view == nullptr) return nullptr;
    const std::string object = objectName(name);
    shm_unlink(object.c_str()); // a block left behind by a crashed publisher
    const int fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL, 0644);
    if (fd < 0) return nullptr;
    if (ftruncate(fd, static_cast<off_t>(bytes)) != 0) {
        close(fd);
        shm_unlink(object.c_str());
        return nullptr;
    }
    void* address = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) {
        close(fd);
        shm_unlink(object.c_str());
        return nullptr;
    }
    std::memset(address, 0, bytes);
    *view = address;
    return new PosixBlock{fd, object, true};
}

void destroySharedBlock(SharedBlockHandle block, void* view, std::size_t bytes) {
    if (view != nullptr) munmap(view, bytes);
    closeSharedBlock(block);
}

} // namespace gb::platform
