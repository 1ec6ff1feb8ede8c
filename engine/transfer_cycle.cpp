#include "engine/transfer_cycle.h"

namespace gb {

namespace {

bool validSlot(const Definition& d) {
    return d.phNumber >= 0 && d.phNumber < kPigeonHoleCount && d.phByte >= 0 && d.phByte <= 3;
}

const char* onOff(bool state) {
    return state ? "On" : "Off";
}

void processFlag(const SharedMemorySource& source, Definition& d, PigeonHoleImage& phSlots,
                 DeviceBinding& binding, bool logIt, const TransferLogging& logging) {
    bool state = source.readFlag(d.elementIndex);
    if (d.invert != 0) state = !state;
    const std::uint32_t value = state ? 1U : 0U;
    if (value == d.lastValue) return;
    d.lastValue = value;

    if (d.qpOn >= 0) {
        binding.sendQP(state ? d.qpOn : d.qpOff);
        if (logIt)
            logging.log->writeLine(logging.debugFile, "%s=%s\n", d.elementName, onOff(state));
    } else if (d.phNumber >= 0 && validSlot(d)) {
        PigeonHoleSlot& slot = phSlots[static_cast<std::size_t>(d.phNumber)];
        std::uint32_t b = slot.bytes[d.phByte];
        b = state ? (b | d.bitMask) : (b & ~d.bitMask);
        slot.bytes[d.phByte] = static_cast<std::uint8_t>(b & 0xFF);
        slot.pending = 1;
        if (logIt) {
            logging.log->writeLine(logging.debugFile, "%s=%s [%d,%d,0b%s]\n", d.elementName,
                                   onOff(state), d.phNumber, d.phByte, bitString(b, 8));
        }
    }
}

void processAnalog(const SharedMemorySource& source, Definition& d, PigeonHoleImage& phSlots,
                   bool holdBack, bool logIt, const TransferLogging& logging) {
    const std::int32_t value = source.readScaled(d.elementIndex, d.multi, d.offset);
    // lastValue keeps the result's 32 bits; compared as bits, so negative results are exact.
    const auto bits = static_cast<std::uint32_t>(value);
    if (validSlot(d)) {
        PigeonHoleSlot& slot = phSlots[static_cast<std::size_t>(d.phNumber)];
        if (!holdBack || bits == d.lastValue)
            slot.bytes[d.phByte] = static_cast<std::uint8_t>(bits & 0xFF);
        slot.pending = 1;
    }
    d.lastValue = bits;
    if (logIt) {
        logging.log->writeLine(logging.debugFile, "%s=[%d,%d,0x%08X (%d)] (%f)\n", d.elementName,
                               d.phNumber, d.phByte, bits, static_cast<int>(value),
                               source.readValue(d.elementIndex));
    }
}

int definitionCount(const DefinitionList& definitions) {
    return definitions.count < DefinitionList::kCapacity ? definitions.count
                                                         : DefinitionList::kCapacity;
}

bool logsFor(const Definition& d, const TransferLogging& logging) {
    return logging.log != nullptr && (logging.debugMode || d.trace != 0);
}

// Sends every pending Pigeon-hole from phLow to phHigh in ascending order and clears its mark,
// whether or not the send was accepted. Returns the sends accepted.
int sendPendingPigeonHoles(const DefinitionList& definitions, PigeonHoleImage& phSlots,
                           DeviceBinding& binding) {
    int accepted = 0;
    const std::int32_t low = definitions.phLow < 0 ? 0 : definitions.phLow;
    const std::int32_t high =
        definitions.phHigh >= kPigeonHoleCount ? kPigeonHoleCount - 1 : definitions.phHigh;
    for (std::int32_t ph = low; ph <= high; ++ph) {
        PigeonHoleSlot& slot = phSlots[static_cast<std::size_t>(ph)];
        if (slot.pending != 1) continue;
        if (binding.sendPHBytes(ph, slot.bytes, 4)) ++accepted;
        slot.pending = 0;
    }
    return accepted;
}

} // namespace

const char* bitString(std::uint32_t value, int bits) {
    static char text[33];
    if (bits < 0 || bits > 32) bits = 0;
    for (int i = 0; i < bits; ++i)
        text[i] = (value >> (bits - 1 - i)) & 1U ? '1' : '0';
    text[bits] = '\0';
    return text;
}

void runTransferCycle(const SharedMemorySource& source, DefinitionList& definitions,
                      PigeonHoleImage& phSlots, DeviceBinding& binding,
                      const TransferLogging& logging, const TransferOptions& options) {
    std::uint8_t analogs[DeviceBinding::kAnalogBytes];
    binding.getAnalogs(analogs);

    const int count = definitionCount(definitions);
    for (int i = 0; i < count; ++i) {
        Definition* d = definitions.items[i];
        if (d == nullptr) continue;
        const bool logIt = logsFor(*d, logging);
        if (d->kind == DefinitionFlag) {
            processFlag(source, *d, phSlots, binding, logIt, logging);
        } else if (d->kind == DefinitionAnalog) {
            processAnalog(source, *d, phSlots, options.analogHoldBack, logIt, logging);
        }
    }
    sendPendingPigeonHoles(definitions, phSlots, binding);
}

int turnOutputsOff(DefinitionList& definitions, PigeonHoleImage& phSlots, DeviceBinding& binding,
                   const TransferLogging& logging) {
    int accepted = 0;
    const int count = definitionCount(definitions);
    for (int i = 0; i < count; ++i) {
        Definition* d = definitions.items[i];
        if (d == nullptr) continue;
        if (d->kind == DefinitionFlag) {
            const bool wasOn = d->lastValue != 0;
            d->lastValue = 0;
            const bool logIt = wasOn && logsFor(*d, logging);
            if (d->qpOn >= 0) {
                if (wasOn && binding.sendQP(d->qpOff)) ++accepted;
                if (logIt)
                    logging.log->writeLine(logging.debugFile, "%s=%s\n", d->elementName,
                                           onOff(false));
            } else if (d->phNumber >= 0 && validSlot(*d)) {
                // Every bound bit, on or not: bits of flags sharing a byte all go off.
                PigeonHoleSlot& slot = phSlots[static_cast<std::size_t>(d->phNumber)];
                const std::uint32_t b = slot.bytes[d->phByte] & ~d->bitMask;
                slot.bytes[d->phByte] = static_cast<std::uint8_t>(b & 0xFF);
                slot.pending = 1;
                if (logIt) {
                    logging.log->writeLine(logging.debugFile, "%s=%s [%d,%d,0b%s]\n",
                                           d->elementName, onOff(false), d->phNumber, d->phByte,
                                           bitString(b, 8));
                }
            }
        } else if (d->kind == DefinitionAnalog) {
            d->lastValue = 0;
            if (validSlot(*d)) {
                PigeonHoleSlot& slot = phSlots[static_cast<std::size_t>(d->phNumber)];
                slot.bytes[d->phByte] = 0;
                slot.pending = 1;
            }
        }
    }
    return accepted + sendPendingPigeonHoles(definitions, phSlots, binding);
}

bool logReadCheckTooSlow(DebugLog& log, const char* debugFile) {
    return log.writeLine(debugFile, "Read-Check too slow\n");
}

ReadTick readTimerTick(bool& inCycle, const SharedMemorySource& source, DefinitionList& definitions,
                       PigeonHoleImage& phSlots, DeviceBinding& binding,
                       const TransferLogging& logging, const TransferOptions& options) {
    if (!source.isAttached()) return ReadTick::NotAttached;
    if (inCycle) {
        logReadCheckTooSlow(logging.log != nullptr ? *logging.log : DebugLog::process(),
                            logging.debugFile);
        return ReadTick::Dropped;
    }
    inCycle = true;
    runTransferCycle(source, definitions, phSlots, binding, logging, options);
    inCycle = false;
    return ReadTick::Ran;
}

} // namespace gb
