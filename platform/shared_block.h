#pragma once
// Named shared-memory blocks: the simulator publishes one, the program maps it read-only.

#include <cstddef>

namespace gb::platform {

// An open block; null means "not open". Owned by whoever opened it until closeSharedBlock.
using SharedBlockHandle = void*;

// Opens an existing block by name for reading. Null when no such block exists.
SharedBlockHandle openSharedBlock(const char* name);

// Maps the first `bytes` bytes of the block read-only. Null when the block is smaller than
// `bytes` or cannot be mapped. Natively a view whose block shrinks later reads zeros past the
// block's new end instead of ending the program with SIGBUS.
const void* mapSharedBlockView(SharedBlockHandle block, std::size_t bytes);

// Unmaps a view returned by mapSharedBlockView (`bytes` as mapped).
void unmapSharedBlockView(const void* view, std::size_t bytes);

// Closes a handle from openSharedBlock or createSharedBlock.
void closeSharedBlock(SharedBlockHandle block);

// What a reader's open block has become since it was opened.
enum class SharedBlockState {
    Live,      // its publisher still holds it (or, on Windows, none was ever seen to)
    OwnerGone, // the publisher that held it has ended without removing it (killed)
    Replaced,  // the name now refers to another block (natively)
    Removed,   // the name refers to no block any more (natively)
    Shrunk,    // the block is smaller than `bytesInUse` (natively)
};
SharedBlockState sharedBlockState(SharedBlockHandle block, std::size_t bytesInUse);

// How createSharedBlock went.
enum class SharedBlockCreated {
    New,
    ReplacedOrphan, // a block left by a publisher that is gone was replaced (reused on Windows)
    Busy,           // a live publisher holds the name; nothing was changed
    Failed,
};

// The publishing side: creates a named block of exactly `bytes` bytes, zeroed, maps it writable
// into *view and holds it as its publisher until destroySharedBlock (the hold ends with the
// process too). Null, with Busy, while another live publisher holds the name. A block whose
// publisher is gone is replaced. On Windows the block lives while any handle to it is open.
SharedBlockHandle createSharedBlock(const char* name, std::size_t bytes, void** view,
                                    SharedBlockCreated* outcome = nullptr);

// Unmaps the creator's view and closes the block; natively removes the name only while it still
// refers to this block.
void destroySharedBlock(SharedBlockHandle block, void* view, std::size_t bytes);

} // namespace gb::platform
