#include "platform/shared_block.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>
#include <windows.h>

// A publisher owns a named mutex "<name>-Publisher" while it runs; Windows abandons it when the
// process dies, however it dies, and removes it with the last handle. A mapping, by contrast,
// lives as long as any reader keeps a handle, so it cannot tell whether its publisher is alive.
// Blocks published by the real simulator have no such mutex: they always count as live.

namespace gb::platform {

namespace {

struct Win32Block {
    HANDLE mapping = nullptr;
    HANDLE publisher = nullptr; // the owned mutex, creator only
    bool publisherSeen = false; // reader: the mutex existed when the block was opened
    std::string name;
};

std::string publisherName(const std::string& name) {
    return name + "-Publisher";
}

bool publisherExists(const std::string& name) {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, publisherName(name).c_str());
    if (mutex == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(mutex);
    return true;
}

// A thread that owns a mutex may wait on it again and succeed, so a second publisher in the same
// process is caught here.
std::mutex g_publishedLock;
std::vector<std::string> g_published;

bool notePublished(const std::string& name) {
    std::lock_guard<std::mutex> hold(g_publishedLock);
    if (std::find(g_published.begin(), g_published.end(), name) != g_published.end()) return false;
    g_published.push_back(name);
    return true;
}

void forgetPublished(const std::string& name) {
    std::lock_guard<std::mutex> hold(g_publishedLock);
    g_published.erase(std::remove(g_published.begin(), g_published.end(), name), g_published.end());
}

} // namespace

SharedBlockHandle openSharedBlock(const char* name) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, TRUE, name);
    if (mapping == nullptr) return nullptr;
    auto* block = new Win32Block;
    block->mapping = mapping;
    block->name = name;
    block->publisherSeen = publisherExists(block->name);
    return block;
}

const void* mapSharedBlockView(SharedBlockHandle block, std::size_t bytes) {
    auto* b = static_cast<Win32Block*>(block);
    if (b == nullptr) return nullptr;
    return MapViewOfFile(b->mapping, FILE_MAP_READ, 0, 0, bytes);
}

void unmapSharedBlockView(const void* view, std::size_t) {
    UnmapViewOfFile(view);
}

void closeSharedBlock(SharedBlockHandle block) {
    auto* b = static_cast<Win32Block*>(block);
    if (b == nullptr) return;
    CloseHandle(b->mapping);
    if (b->publisher != nullptr) {
        ReleaseMutex(b->publisher);
        CloseHandle(b->publisher);
        forgetPublished(b->name);
    }
    delete b;
}

SharedBlockState sharedBlockState(SharedBlockHandle block, std::size_t) {
    auto* b = static_cast<Win32Block*>(block);
    if (b == nullptr) return SharedBlockState::Removed;
    if (b->publisherSeen && !publisherExists(b->name)) return SharedBlockState::OwnerGone;
    return SharedBlockState::Live;
}

SharedBlockHandle createSharedBlock(const char* name, std::size_t bytes, void** view,
                                    SharedBlockCreated* outcome) {
    SharedBlockCreated ignored;
    SharedBlockCreated& result = outcome != nullptr ? *outcome : ignored;
    result = SharedBlockCreated::Failed;
    if (name == nullptr || bytes == 0 || view == nullptr) return nullptr;
    if (!notePublished(name)) {
        result = SharedBlockCreated::Busy;
        return nullptr;
    }
    auto* block = new Win32Block;
    block->name = name;
    block->publisher = CreateMutexA(nullptr, FALSE, publisherName(block->name).c_str());
    const DWORD waited =
        block->publisher != nullptr ? WaitForSingleObject(block->publisher, 0) : WAIT_FAILED;
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        if (waited == WAIT_TIMEOUT) result = SharedBlockCreated::Busy;
        if (block->publisher != nullptr) CloseHandle(block->publisher);
        forgetPublished(block->name);
        delete block;
        return nullptr;
    }
    block->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(bytes), name);
    // Readers still holding the block of a publisher that is gone keep it alive; it is taken
    // over (a view larger than that block fails below).
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    void* address = block->mapping != nullptr
                        ? MapViewOfFile(block->mapping, FILE_MAP_ALL_ACCESS, 0, 0, bytes)
                        : nullptr;
    if (address == nullptr) {
        if (block->mapping != nullptr) CloseHandle(block->mapping);
        block->mapping = nullptr;
        ReleaseMutex(block->publisher);
        CloseHandle(block->publisher);
        forgetPublished(block->name);
        delete block;
        return nullptr;
    }
    ZeroMemory(address, bytes);
    *view = address;
    result = existed ? SharedBlockCreated::ReplacedOrphan : SharedBlockCreated::New;
    return block;
}

void destroySharedBlock(SharedBlockHandle block, void* view, std::size_t) {
    if (view != nullptr) UnmapViewOfFile(view);
    closeSharedBlock(block);
}

} // namespace gb::platform
