#pragma once
// The stand-in simulator's writable picture of "FalconSharedMemoryArea": the bytes of one layout,
// written little-endian at the offsets the element table gives.

#include <cstddef>
#include <cstdint>

namespace gb::sim {

struct BlockImage {
    std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    std::int32_t layout = 0; // 100, 110 or 200

    bool fits(std::uint32_t offset, std::size_t width) const {
        return offset <= size && width <= size - offset;
    }
    std::uint32_t loadU32(std::uint32_t offset) const;
    float loadF32(std::uint32_t offset) const;
    void storeU32(std::uint32_t offset, std::uint32_t value);
    void storeU16(std::uint32_t offset, std::uint16_t value);
    void storeU8(std::uint32_t offset, std::uint8_t value);
    void storeI32(std::uint32_t offset, std::int32_t value);
    void storeF32(std::uint32_t offset, float value);
};

} // namespace gb::sim
