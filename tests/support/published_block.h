#pragma once
// The simulator's side of "FalconSharedMemoryArea" for reader tests: the real named block of a
// given size, created zeroed and written through the creator's view, gone again at the end of
// the scope. Tests that publish it hold the ctest resource lock "shared_block".

#include <cstddef>
#include <cstdint>

namespace gb::test {

class PublishedBlock {
public:
    explicit PublishedBlock(std::size_t bytes);
    ~PublishedBlock();
    PublishedBlock(const PublishedBlock&) = delete;
    PublishedBlock& operator=(const PublishedBlock&) = delete;

    // False when the block could not be created; everything else then does nothing.
    bool ok() const { return view_ != nullptr; }
    std::uint8_t* bytes() { return view_; }
    std::size_t size() const { return size_; }

    void fill(std::uint8_t byte);
    // Writes a value at `offset` in the machine's byte order; a write past the end fails the test.
    void put(std::uint32_t offset, const void* value, std::size_t size);
    void setWord(std::uint32_t offset, std::uint32_t word) { put(offset, &word, sizeof word); }
    void setInt(std::uint32_t offset, std::int32_t value) { put(offset, &value, sizeof value); }
    void setFloat(std::uint32_t offset, float value) { put(offset, &value, sizeof value); }

private:
    std::size_t size_;
    std::uint8_t* view_ = nullptr;
    void* handle_ = nullptr;
};

} // namespace gb::test
