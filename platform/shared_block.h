#pragma once
// Named shared-memory blocks: the simulator publishes one, the program maps it read-only.

#include <cstddef>

namespace gb::platform {

// An open block; null means "not open". Owned by whoever opened it until closeSharedBlock.
using SharedBlockHandle = void*;

// Opens an existing block by name for reading. Null when no such block exists.
SharedBlockHandle openSharedBlock(const char* name);

// Maps the first `bytes` bytes of the block read-only. Null when the block is smaller than
// `bytes` or cannot be mapped.
const void* mapSharedBlockView(SharedBlockHandle block, std::size_t bytes);

// Unmaps a view returned by mapSharedBlockView (`bytes` as mapped).
void unmapSharedBlockView(const void* view, std::size_t bytes);

// Closes a handle from openSharedBlock or createSharedBlock.
void closeSharedBlock(SharedBlockHandle block);

// The publishing side: creates (or recreates) a named block of exactly `bytes` bytes, zeroed, and
// maps it writable into *view. Null on failure. The block disappears once its creator closes it
// (on Windows once the last handle to it is closed).
SharedBlockHandle createSharedBlock(const char* name, std::size_t bytes, void** view);

// Unmaps the creator's view and closes the block.
void destroySharedBlock(SharedBlockHandle block, void* view, std::size_t bytes);

} // namespace gb::platform
