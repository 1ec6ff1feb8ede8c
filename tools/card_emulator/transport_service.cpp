#include "tools/card_emulator/transport_service.h"

#include "platform/emulator_transport.h"

#include <cstring>
#include <string>

namespace gb::emu {

using gb::platform::emulator::getU32;
using gb::platform::emulator::putU32;

std::size_t serveRequest(Card& card, const std::uint8_t* m, std::size_t length,
                         std::uint8_t* reply) {
    reply[0] = 0;
    if (length == 0) return 1;
    switch (m[0]) {
    case 'O': {
        std::string name;
        for (std::size_t i = 1; i < length && m[i] != 0; ++i)
            name += static_cast<char>(m[i]);
        bool mine = deviceFromObjectName(name.c_str()) == card.device();
        if (mine) card.opened();
        reply[0] = mine ? 1 : 0;
        return 1;
    }
    case 'W':
        card.write(m + 1, length - 1);
        reply[0] = 1;
        putU32(&reply[1], static_cast<std::uint32_t>(length - 1));
        return 5;
    case 'R': {
        if (length < 5) return 1;
        std::uint32_t wanted = getU32(m + 1);
        Packet answer{};
        if (!card.read(answer.data())) return 1;
        std::size_t n = wanted < PacketSize ? wanted : PacketSize;
        reply[0] = 1;
        std::memcpy(&reply[1], answer.data(), n);
        return n + 1;
    }
    case 'C':
        if (length < 13) return 1;
        reply[0] = card.control(getU32(m + 1)) ? 1 : 0;
        putU32(&reply[1], 0);
        return 5;
    default:
        return 1;
    }
}

} // namespace gb::emu
