#include "tools/card_emulator/card.h"

#include "platform/ascii.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace gb::emu {

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// Answer codes the library checks; the wrong-codes fault flips a bit that makes each one invalid.
constexpr std::uint8_t WrongCodeFlip = 0x40;

} // namespace

int itemLength(std::uint8_t code) {
    if (code == 0x08 || code == 0x0D) return 4;
    if (code == 0x0C) return 9;
    if (code == 0x10) return 6;
    if (code >= 0x20 && code <= 0x9F) return 2;
    if (code >= 0xA0 && code <= 0xA3) return 4;
    return 2;
}

int deviceFromObjectName(const char* name) {
    if (name == nullptr) return -1;
    if (startsWith(name, "\\\\.\\")) name += 4;
    if (std::strcmp(name, "QUARNISADevice0") == 0) return 0;
    if (startsWith(name, "QUARNUSBDevice")) {
        const char* digit = name + std::strlen("QUARNUSBDevice");
        if (digit[0] >= '0' && digit[0] <= '6' && digit[1] == '\0') return digit[0] - '0' + 1;
    }
    return -1;
}

std::string objectNameOf(int device) {
    if (device == 0) return "QUARNISADevice0";
    return "QUARNUSBDevice" + std::to_string(device - 1);
}

// ---------------------------------------------------------------------------------------------
// Packet log

PacketLog::PacketLog(std::size_t capacity) : ring_(capacity == 0 ? 1 : capacity), epoch_(nowMs()) {}

void PacketLog::add(const LogEntry& entry) {
    std::size_t slot = (head_ + count_) % ring_.size();
    if (count_ == ring_.size()) {
        head_ = (head_ + 1) % ring_.size();
    } else {
        ++count_;
    }
    ring_[slot] = entry;
    ring_[slot].sequence = next_++;
    ring_[slot].timeMs = nowMs() - epoch_;
}

const LogEntry& PacketLog::at(std::size_t i) const {
    return ring_[(head_ + i) % ring_.size()];
}

void PacketLog::clear() {
    head_ = 0;
    count_ = 0;
}

double PacketLog::elapsedMs() const {
    return nowMs() - epoch_;
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

std::string formatLogEntry(const LogEntry& e) {
    static const char* const names[] = {"open ", "write", "read ", "ctrl ", "close"};
    char head[96];
    std::string device = e.device == 0 ? "ISA0" : "USB" + std::to_string(e.device);
    std::snprintf(head, sizeof head, "%10.3f ms  #%-6llu %s %-4s ", e.timeMs,
                  static_cast<unsigned long long>(e.sequence), names[static_cast<int>(e.direction)],
                  device.c_str());
    std::string line = head;
    switch (e.direction) {
    case Direction::Open:
        line += e.ok ? "accepted" : "refused";
        break;
    case Direction::Close:
        line += "closed";
        break;
    case Direction::Control: {
        char code[48];
        std::snprintf(code, sizeof code, "request 0x%06X %s", static_cast<unsigned>(e.code),
                      e.ok ? "done" : "failed");
        line += code;
        break;
    }
    case Direction::Read:
        if (!e.ok) {
            line += "(no answer)";
            break;
        }
        [[fallthrough]];
    case Direction::Write: {
        // Trailing zeros are shortened so a 64-byte packet stays readable on one line; the first
        // four bytes stay, as the fixed packets set exactly those.
        std::size_t used = e.length;
        while (used > 4 && e.data[used - 1] == 0)
            --used;
        line += hexBytes(e.data.data(), used);
        if (used < e.length) {
            line += used == 0 ? "" : " ";
            line += "(00 x" + std::to_string(e.length - used) + ")";
        }
        break;
    }
    }
    return line;
}

// ---------------------------------------------------------------------------------------------
// Scripted answers

bool parseScript(const std::string& text, Script& script, std::string& error) {
    int device = -1;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (std::size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::string compact;
        for (char c : line) {
            if (c != ' ' && c != '\t' && c != '\r' && c != ',') compact += c;
        }
        if (compact.empty()) continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        };
        if (compact.rfind("dev", 0) == 0) {
            std::string number = compact.substr(3);
            if (number.size() != 1 || number[0] < '0' || number[0] > '7') {
                return fail("device number must be 0-7");
            }
            device = number[0] - '0';
            continue;
        }
        if (device < 0) return fail("answer before the first \"dev <n>\" line");
        ScriptedAnswer answer;
        if (compact == "none") {
            answer.none = true;
        } else {
            if (compact.size() % 2 != 0) return fail("odd number of hex digits");
            if (compact.size() > 2 * PacketSize) return fail("more than 64 bytes");
            for (std::size_t i = 0; i < compact.size(); i += 2) {
                int hi = gb::ascii::hexDigitValue(compact[i]);
                int lo = gb::ascii::hexDigitValue(compact[i + 1]);
                if (hi < 0 || lo < 0) return fail("not a hex byte: " + compact.substr(i, 2));
                answer.bytes[i / 2] = static_cast<std::uint8_t>(hi * 16 + lo);
            }
        }
        script.answers[device].push_back(answer);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The card

Card::Card(int device, PacketLog* log)
    : device_(device), ownLog_(log ? 1 : 4096), log_(log ? log : &ownLog_), memory_(65536, 0) {}

void Card::resetState() {
    pigeonHoles_ = {};
    phWrites_ = {};
    qprocTotal_ = 0;
    itemTotal_ = 0;
    batches_ = 0;
    malformed_ = 0;
    std::fill(memory_.begin(), memory_.end(), 0);
    input_ = {};
    mode_ = -1;
    handshakes_ = 0;
    usbIntPoll_ = false;
    eventHead_ = eventCount_ = 0;
    answerHead_ = answerCount_ = 0;
}

void Card::logPacket(Direction direction, bool ok, const std::uint8_t* bytes, std::size_t count,
                     std::uint32_t code) {
    LogEntry entry;
    entry.direction = direction;
    entry.device = device_;
    entry.ok = ok;
    entry.code = code;
    count = std::min<std::size_t>(count, PacketSize);
    entry.length = static_cast<std::uint8_t>(count);
    if (bytes != nullptr && count > 0) std::memcpy(entry.data.data(), bytes, count);
    log_->add(entry);
}

void Card::opened() {
    // A new open starts without answers left over from an earlier, abandoned exchange.
    answerHead_ = answerCount_ = 0;
    logPacket(Direction::Open, true, nullptr, 0);
}

void Card::closed() {
    logPacket(Direction::Close, true, nullptr, 0);
}

bool Card::control(std::uint32_t code) {
    bool ok = !faults_.failControl && (code == 0x22200C || code == 0x222010);
    if (ok) usbIntPoll_ = code == 0x22200C;
    logPacket(Direction::Control, ok, nullptr, 0, code);
    return ok;
}

void Card::setInput(int offset, const std::uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        if (offset + i >= 0 && offset + i < PacketSize) input_[offset + i] = bytes[i];
    }
}

bool Card::injectEvent(const std::uint8_t* item, int count) {
    if (count < 1 || count > 9 || item[0] == 0xFF || itemLength(item[0]) != count) return false;
    if (eventCount_ == EventCapacity) return false;
    EventItem& slot = events_[(eventHead_ + eventCount_) % EventCapacity];
    slot.length = static_cast<std::uint8_t>(count);
    std::memcpy(slot.bytes.data(), item, count);
    ++eventCount_;
    return true;
}

void Card::setIdentity(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    identity_ = {b0, b1, b2, b3};
}

void Card::setScript(std::vector<ScriptedAnswer> answers) {
    script_ = std::move(answers);
    scriptPos_ = 0;
    scripted_ = true;
}

int Card::recentQProc(std::size_t i) const {
    return qprocs_[(qprocTotal_ - 1 - i) % QProcLogSize];
}

const ItemRecord& Card::recentItem(std::size_t i) const {
    return items_[(itemTotal_ - 1 - i) % ItemLogSize];
}

std::uint8_t Card::nextRandom() {
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return static_cast<std::uint8_t>(random_ >> 24);
}

std::uint8_t Card::status() const {
    std::uint8_t s = 0;
    if (eventCount_ > 0 || faults_.garbageEvents) s |= 0x01;
    if (!faults_.refuseOutput) s |= 0x02;
    return s;
}

void Card::queueAnswer(const Packet& answer, bool awaited) {
    if (faults_.silent) return;
    if (faults_.dropAnswers > 0) {
        --faults_.dropAnswers;
        return;
    }
    if (answerCount_ == AnswerCapacity) {
        // The library never leaves this many answers unread; keep the newest.
        answerHead_ = (answerHead_ + 1) % AnswerCapacity;
        --answerCount_;
    }
    PendingAnswer& slot = answers_[(answerHead_ + answerCount_) % AnswerCapacity];
    slot.bytes = answer;
    slot.notReady = (awaited && kind() == CardKind::Isa) ? faults_.isaSlowReads : 0;
    ++answerCount_;
}

bool Card::read(std::uint8_t* answer) {
    if (scripted_) {
        bool ok = scriptPos_ < script_.size() && !script_[scriptPos_].none;
        if (ok) std::memcpy(answer, script_[scriptPos_].bytes.data(), PacketSize);
        if (scriptPos_ < script_.size()) ++scriptPos_;
        logPacket(Direction::Read, ok, answer, ok ? PacketSize : 0);
        return ok;
    }
    if (answerCount_ > 0 && answers_[answerHead_].notReady == 0) {
        std::memcpy(answer, answers_[answerHead_].bytes.data(), PacketSize);
        answerHead_ = (answerHead_ + 1) % AnswerCapacity;
        --answerCount_;
        logPacket(Direction::Read, true, answer, PacketSize);
        return true;
    }
    if (answerCount_ > 0) --answers_[answerHead_].notReady;
    if (kind() == CardKind::Usb) {
        logPacket(Direction::Read, false, nullptr, 0);
        return false;
    }
    // An ISA read always returns a packet; without an answer ready, bit 7 of byte 0 is clear and
    // byte 3 tells whether the card's output buffer is free (the flush's pre-read looks at it).
    std::memset(answer, 0, PacketSize);
    if (!faults_.silent && !faults_.refuseOutput && !faults_.outputBusy) answer[3] = 0xFF;
    logPacket(Direction::Read, true, answer, PacketSize);
    return true;
}

void Card::write(const std::uint8_t* bytes, std::size_t count) {
    Packet p{};
    std::memcpy(p.data(), bytes, std::min<std::size_t>(count, PacketSize));
    logPacket(Direction::Write, true, p.data(), std::min<std::size_t>(count, PacketSize));
    const bool isa = kind() == CardKind::Isa;
    switch (p[0]) {
    case 0x09:
        // 09 21 00 00 starts the card up; any other 09 packet sets the card's mode.
        if (!(p[1] == 0x21 && p[2] == 0x00 && p[3] == 0x00)) mode_ = p[1];
        return;
    case 0x06:
        if (p[1] == 0x00) {
            decodeBatch(p.data());
        } else if (p[1] == 0x0E) {
            Packet a{};
            a[0] = isa ? 0x88 : 0x08;
            a[1] = faults_.wrongCodes ? (0x04 ^ WrongCodeFlip) : 0x04;
            a[2] = handshakeByte_;
            ++handshakes_;
            queueAnswer(a, true);
        } else if (isa) {
            isaExchange(p.data());
        }
        return;
    case 0x05:
        if (p[1] == 0x80) {
            answerPoll();
        } else if (!isa && (p[1] == 0x01 || p[1] == 0x02)) {
            // Pointer block: 60 bytes per half, starting at 0x4100 and 0x413C.
            Packet a{};
            std::memcpy(a.data(), &memory_[PointerBlock + (p[1] == 0x01 ? 0 : 60)], 60);
            queueAnswer(a, false);
        } else {
            answerCommand(p.data());
        }
        return;
    case 0x0D:
        answerEvents();
        return;
    case 0x03: {
        int n = p[3];
        if (n > 60) {
            ++malformed_;
            n = 60;
        }
        writeMemory(static_cast<std::uint16_t>(p[1] | p[2] << 8), &p[4], n);
        return;
    }
    case 0x04:
        if (!isa) {
            Packet a{};
            std::uint16_t address = static_cast<std::uint16_t>(p[1] | p[2] << 8);
            int n = std::min<int>(p[3], PacketSize);
            for (int i = 0; i < n; ++i)
                a[i] = memory_[static_cast<std::uint16_t>(address + i)];
            queueAnswer(a, false);
            return;
        }
        break;
    case 0x14:
        if (isa) {
            Packet a{};
            a[0] = 0x80;
            a[1] = 0x14;
            a[2] = p[1] & 0xF0;
            a[3] = p[2];
            std::uint16_t block = static_cast<std::uint16_t>((p[1] | p[2] << 8) & 0xFFF0);
            std::memcpy(&a[5], &memory_[block], 16);
            queueAnswer(a, false);
            return;
        }
        break;
    case 0x07:
    case 0x08:
        if (!isa) {
            writeMemory(static_cast<std::uint16_t>(PointerBlock + (p[0] == 0x07 ? 0 : 60)), &p[1],
                        60);
            return;
        }
        break;
    case 0x15:
        return; // acknowledgement of an ISA answer
    default:
        break;
    }
    if (!isa) answerCommand(p.data());
}

void Card::writeMemory(std::uint16_t address, const std::uint8_t* bytes, int count) {
    for (int i = 0; i < count; ++i)
        memory_[static_cast<std::uint16_t>(address + i)] = bytes[i];
}

void Card::answerPoll() {
    Packet a{};
    if (kind() == CardKind::Isa) {
        a[0] = static_cast<std::uint8_t>(0x80 | status());
        std::memcpy(&a[5], input_.data(), 16);
    } else {
        a[0] = status();
        std::memcpy(&a[1], input_.data(), 44);
    }
    queueAnswer(a, false);
}

void Card::answerEvents() {
    Packet a{};
    a.fill(0);
    if (faults_.garbageEvents) {
        for (auto& b : a)
            b = nextRandom();
        queueAnswer(a, false);
        return;
    }
    std::size_t pos = 0;
    while (eventCount_ > 0) {
        const EventItem& e = events_[eventHead_];
        if (pos + e.length > PacketSize) break;
        std::memcpy(&a[pos], e.bytes.data(), e.length);
        pos += e.length;
        eventHead_ = (eventHead_ + 1) % EventCapacity;
        --eventCount_;
    }
    if (pos < PacketSize) a[pos] = 0xFF;
    queueAnswer(a, false);
}

void Card::answerCommand(const std::uint8_t* p) {
    Packet a{};
    if (kind() == CardKind::Isa) {
        // ISA commands of code 05: the answer's data starts at byte 5, as in the poll answer.
        a[0] = 0x80;
        a[1] = p[1];
        a[2] = p[2];
        a[3] = p[3];
        std::memcpy(&a[5], input_.data(), 16);
    } else if (p[0] == 0x12) {
        // Current button states: the same input bytes a poll reports.
        a[0] = 0x12;
        std::memcpy(&a[1], input_.data(), 44);
    } else {
        std::memcpy(a.data(), p, 4);
    }
    queueAnswer(a, false);
}

void Card::isaExchange(const std::uint8_t* p) {
    const std::uint8_t flip = faults_.wrongCodes ? WrongCodeFlip : 0;
    Packet a{};
    a[0] = 0x80;
    switch (p[1]) {
    case 0x04: // identity, first half; the second answer follows unasked
        a[1] = identity_[0];
        a[2] = identity_[1];
        queueAnswer(a, true);
        a[1] = 0x05 ^ flip;
        a[2] = identity_[2];
        queueAnswer(a, true);
        return;
    case 0x05:
        a[1] = 0x01 ^ flip;
        a[2] = identity_[3];
        queueAnswer(a, true);
        return;
    case 0x01:
        a[1] = 0x07 ^ flip;
        a[2] = 0x01;
        queueAnswer(a, true);
        return;
    default:
        return;
    }
}

void Card::decodeBatch(const std::uint8_t* p) {
    ++batches_;
    int pos = 2;
    while (pos < PacketSize && p[pos] != 0xFF) {
        int length = itemLength(p[pos]);
        if (pos + length > PacketSize) {
            ++malformed_; // an item cut off by the end of the packet
            return;
        }
        applyItem(&p[pos], length);
        pos += length;
    }
}

void Card::applyItem(const std::uint8_t* item, int length) {
    ItemRecord& record = items_[itemTotal_ % ItemLogSize];
    record.sequence = ++itemTotal_;
    record.length = static_cast<std::uint8_t>(length);
    record.bytes = {};
    std::memcpy(record.bytes.data(), item, length);
    const std::uint8_t code = item[0];
    if (code == 0x10) {
        std::memcpy(pigeonHoles_[item[1]].data(), &item[2], 4);
        ++phWrites_[item[1]];
    } else if (code >= 0x20 && code <= 0x9F) {
        qprocs_[qprocTotal_ % QProcLogSize] =
            static_cast<std::uint16_t>((code - 0x20) * 256 + item[1]);
        ++qprocTotal_;
    }
}

} // namespace gb::emu
