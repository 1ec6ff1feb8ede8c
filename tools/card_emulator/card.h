#pragma once
// One emulated QUARN card: the card side of every packet the device library exchanges with the
// driver. The card decodes what it is written, keeps its state (Pigeon-holes, QProc calls, card
// memory, input state, pending events) and has an answer ready for each read. No operating-system
// code: the in-process backend and the emulator program both drive it.
//
// Sections: packet log; faults; scripted answers; the card.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gb::emu {

constexpr int PacketSize = 64;
using Packet = std::array<std::uint8_t, PacketSize>;

// Length of an output item or event, code byte included, by its code.
int itemLength(std::uint8_t code);

// Device number 0 is the ISA card, 1-7 are USB cards.
enum class CardKind : std::uint8_t {
    Isa,
    Usb
};

// "\\.\QUARNISADevice0" -> 0, "\\.\QUARNUSBDevice<d>" -> d + 1; -1 for any other name. The
// leading "\\.\" may be missing (socket and pipe names carry only the object's own name).
int deviceFromObjectName(const char* name);
// The object name (without "\\.\") of a device number: "QUARNISADevice0", "QUARNUSBDevice0" ...
std::string objectNameOf(int device);

// ---------------------------------------------------------------------------------------------
// Packet log

enum class Direction : std::uint8_t {
    Open,
    Write,
    Read,
    Control,
    Close
};

struct LogEntry {
    std::uint64_t sequence = 0; // 1 for the first entry of a log, never reused
    double timeMs = 0;          // since the log was created
    Direction direction = Direction::Write;
    int device = 0;
    bool ok = true;          // Read: an answer was given; Open/Control: accepted
    std::uint8_t length = 0; // valid bytes in data (64 for writes and answered reads)
    std::uint32_t code = 0;  // Control: the request code
    Packet data{};
};

// The newest `capacity` entries in a ring, allocated once.
class PacketLog {
public:
    explicit PacketLog(std::size_t capacity = 4096);
    void add(const LogEntry& entry);
    std::size_t size() const { return count_; }
    std::uint64_t total() const { return next_ - 1; }
    // i-th oldest kept entry, 0 <= i < size().
    const LogEntry& at(std::size_t i) const;
    const LogEntry& newest() const { return at(count_ - 1); }
    void clear();
    double elapsedMs() const;

private:
    std::vector<LogEntry> ring_;
    std::size_t head_ = 0; // index of the oldest entry
    std::size_t count_ = 0;
    std::uint64_t next_ = 1;
    double epoch_ = 0;
};

// One log line: time, direction, device, bytes in hex (trailing zeros shortened).
std::string formatLogEntry(const LogEntry& entry);
std::string hexBytes(const std::uint8_t* bytes, std::size_t count);

// ---------------------------------------------------------------------------------------------
// Faults

struct Faults {
    bool silent = false;        // no answer at all: USB reads fail, ISA reads are never ready
    int dropAnswers = 0;        // the next n answers the card would give are lost
    bool wrongCodes = false;    // handshake and exchange answers carry wrong answer codes
    int isaSlowReads = 0;       // ISA: not-ready reads before each answer the library waits for
    bool garbageEvents = false; // status always reports events; event answers are random bytes
    bool refuseOutput = false;  // status bit 1 clear: the card takes no output
    bool outputBusy = false;    // ISA: status asks for output, but the pre-read's byte 3 is not FF
    bool failControl = false;   // driver control requests fail
};

// ---------------------------------------------------------------------------------------------
// Scripted answers: "dev <n>" selects a device; each other line is the answer to one read (hex,
// up to 64 bytes, zero-padded; spaces optional), or "none" for a read that gets no answer. "#"
// starts a comment. A card with a script answers every read from it, in order, and only from it.

struct ScriptedAnswer {
    bool none = false;
    Packet bytes{};
};

struct Script {
    std::array<std::vector<ScriptedAnswer>, 8> answers; // per device number
};

// Parses a script. On failure returns false and describes the first bad line in `error`.
bool parseScript(const std::string& text, Script& script, std::string& error);

// ---------------------------------------------------------------------------------------------
// The card

struct ItemRecord {
    std::uint64_t sequence = 0; // 1 for the card's first decoded item
    std::uint8_t length = 0;
    std::array<std::uint8_t, 9> bytes{}; // code byte first
};

struct EventItem {
    std::uint8_t length = 0;
    std::array<std::uint8_t, 9> bytes{};
};

class Card {
public:
    static constexpr std::size_t QProcLogSize = 1024;
    static constexpr std::size_t ItemLogSize = 1024;
    static constexpr std::size_t EventCapacity = 256;
    static constexpr std::size_t AnswerCapacity = 16;
    static constexpr std::uint16_t PointerBlock = 0x4100;

    // `log` receives the packets (several cards may share one); null gives the card its own.
    explicit Card(int device, PacketLog* log = nullptr);
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    int device() const { return device_; }
    CardKind kind() const { return device_ == 0 ? CardKind::Isa : CardKind::Usb; }

    // The driver side: what the device port does with the card.
    void opened();
    void closed();
    void write(const std::uint8_t* bytes, std::size_t count);
    // Fills `answer` (64 bytes) and returns true, or returns false when no answer is given.
    bool read(std::uint8_t* answer);
    bool control(std::uint32_t code);

    // State for tests and the terminal view.
    const std::uint8_t* pigeonHole(int ph) const { return pigeonHoles_[ph & 0xFF].data(); }
    std::uint32_t pigeonHoleWrites(int ph) const { return phWrites_[ph & 0xFF]; }
    std::uint64_t qprocCount() const { return qprocTotal_; }
    // The i-th most recent QProc call (0 = newest), i < min(qprocCount(), QProcLogSize).
    int recentQProc(std::size_t i) const;
    std::uint64_t itemCount() const { return itemTotal_; }
    const ItemRecord& recentItem(std::size_t i) const;
    std::uint64_t batchCount() const { return batches_; }
    std::uint64_t malformedCount() const { return malformed_; }
    std::uint8_t* memory() { return memory_.data(); }
    const std::uint8_t* memory() const { return memory_.data(); }
    const std::uint8_t* input() const { return input_.data(); }
    int mode() const { return mode_; }
    bool handshakeDone() const { return handshakes_ > 0; }
    int handshakes() const { return handshakes_; }
    bool usbInterruptPolling() const { return usbIntPoll_; }
    std::size_t pendingEvents() const { return eventCount_; }
    std::size_t pendingAnswers() const { return answerCount_; }
    PacketLog& log() { return *log_; }
    const PacketLog& log() const { return *log_; }

    // Test and user controls.
    void setInput(int offset, const std::uint8_t* bytes, int count);
    // Queues one event item; false when its length does not match its code or the queue is full.
    bool injectEvent(const std::uint8_t* item, int count);
    Faults& faults() { return faults_; }
    const Faults& faults() const { return faults_; }
    // The 0x08 exchange hands out these four bytes (identity, firmware).
    void setIdentity(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);
    // Byte 2 of the handshake answer: 0x00 or 0x5A are accepted by the library.
    void setHandshakeByte(std::uint8_t value) { handshakeByte_ = value; }
    void setScript(std::vector<ScriptedAnswer> answers);
    bool scripted() const { return scripted_; }
    std::size_t scriptRemaining() const { return script_.size() - scriptPos_; }
    void resetState();

private:
    void queueAnswer(const Packet& answer, bool awaited);
    void decodeBatch(const std::uint8_t* p);
    void applyItem(const std::uint8_t* item, int length);
    void answerPoll();
    void answerEvents();
    void answerCommand(const std::uint8_t* p);
    void isaExchange(const std::uint8_t* p);
    void writeMemory(std::uint16_t address, const std::uint8_t* bytes, int count);
    void logPacket(Direction direction, bool ok, const std::uint8_t* bytes, std::size_t count,
                   std::uint32_t code = 0);
    std::uint8_t status() const;
    std::uint8_t nextRandom();

    int device_;
    PacketLog ownLog_;
    PacketLog* log_;
    Faults faults_;

    std::array<std::array<std::uint8_t, 4>, 256> pigeonHoles_{};
    std::array<std::uint32_t, 256> phWrites_{};
    std::array<std::uint16_t, QProcLogSize> qprocs_{};
    std::uint64_t qprocTotal_ = 0;
    std::array<ItemRecord, ItemLogSize> items_{};
    std::uint64_t itemTotal_ = 0;
    std::uint64_t batches_ = 0;
    std::uint64_t malformed_ = 0;
    std::vector<std::uint8_t> memory_; // 64 KiB
    std::array<std::uint8_t, PacketSize> input_{};
    int mode_ = -1;
    int handshakes_ = 0;
    bool usbIntPoll_ = false;
    std::uint8_t handshakeByte_ = 0x00;
    std::array<std::uint8_t, 4> identity_{0x51, 0x31, 0x02, 0x07};

    std::array<EventItem, EventCapacity> events_{};
    std::size_t eventHead_ = 0;
    std::size_t eventCount_ = 0;

    struct PendingAnswer {
        Packet bytes{};
        int notReady = 0; // ISA reads still to answer "not ready" before this one
    };
    std::array<PendingAnswer, AnswerCapacity> answers_{};
    std::size_t answerHead_ = 0;
    std::size_t answerCount_ = 0;

    bool scripted_ = false;
    std::vector<ScriptedAnswer> script_;
    std::size_t scriptPos_ = 0;
    std::uint32_t random_ = 0x2545F491u;
};

} // namespace gb::emu
