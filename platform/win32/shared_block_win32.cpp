#include "platform/shared_block.h"

#include <windows.h>

namespace gb::platform {

SharedBlockHandle openSharedBlock(const char* name) {
    return OpenFileMappingA(FILE_MAP_READ, TRUE, name);
}

const void* mapSharedBlockView(SharedBlockHandle block, std::size_t bytes) {
    return MapViewOfFile(static_cast<HANDLE>(block), FILE_MAP_READ, 0, 0, bytes);
}

void unmapSharedBlockView(const void* view, std::size_t) {
    UnmapViewOfFile(view);
}

void closeSharedBlock(SharedBlockHandle block) {
    CloseHandle(static_cast<HANDLE>(block));
}

SharedBlockHandle createSharedBlock(const char* name, std::size_t bytes, void** view) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(bytes), name);
    if (mapping == nullptr) return nullptr;
    void* address = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, bytes);
    if (address == nullptr) {
        CloseHandle(mapping);
        return nullptr;
    }
    ZeroMemory(address, bytes);
    *view = address;
    return mapping;
}

void destroySharedBlock(SharedBlockHandle block, void* view, std::size_t) {
    if (view != nullptr) UnmapViewOfFile(view);
    if (block != nullptr) CloseHandle(static_cast<HANDLE>(block));
}

} // namespace gb::platform
