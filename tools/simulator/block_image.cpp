#include "tools/simulator/block_image.h"

#include <cstring>

// Both targets are little-endian, like the block; memcpy keeps unaligned raw offsets legal.
namespace gb::sim {

std::uint32_t BlockImage::loadU32(std::uint32_t offset) const {
    std::uint32_t value = 0;
    if (fits(offset, 4)) std::memcpy(&value, bytes + offset, 4);
    return value;
}

float BlockImage::loadF32(std::uint32_t offset) const {
    float value = 0.0f;
    if (fits(offset, 4)) std::memcpy(&value, bytes + offset, 4);
    return value;
}

void BlockImage::storeU32(std::uint32_t offset, std::uint32_t value) {
    if (fits(offset, 4)) std::memcpy(bytes + offset, &value, 4);
}

void BlockImage::storeU16(std::uint32_t offset, std::uint16_t value) {
    if (fits(offset, 2)) std::memcpy(bytes + offset, &value, 2);
}

void BlockImage::storeU8(std::uint32_t offset, std::uint8_t value) {
    if (fits(offset, 1)) bytes[offset] = value;
}

void BlockImage::storeI32(std::uint32_t offset, std::int32_t value) {
    if (fits(offset, 4)) std::memcpy(bytes + offset, &value, 4);
}

void BlockImage::storeF32(std::uint32_t offset, float value) {
    if (fits(offset, 4)) std::memcpy(bytes + offset, &value, 4);
}

} // namespace gb::sim
