#include "support/published_block.h"

#include "cockpit/element_table.h"
#include "platform/shared_block.h"

#include <cstring>
#include <gtest/gtest.h>

namespace gb::test {

PublishedBlock::PublishedBlock(std::size_t bytes) : size_(bytes) {
    void* view = nullptr;
    handle_ = platform::createSharedBlock(kSharedBlockName, bytes, &view);
    if (handle_ != nullptr) view_ = static_cast<std::uint8_t*>(view);
}

PublishedBlock::~PublishedBlock() {
    if (handle_ != nullptr) platform::destroySharedBlock(handle_, view_, size_);
}

void PublishedBlock::fill(std::uint8_t byte) {
    if (view_ != nullptr) std::memset(view_, byte, size_);
}

void PublishedBlock::put(std::uint32_t offset, const void* value, std::size_t size) {
    ASSERT_LE(offset + size, size_);
    if (view_ != nullptr) std::memcpy(view_ + offset, value, size);
}

} // namespace gb::test
