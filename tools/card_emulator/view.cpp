#include "tools/card_emulator/view.h"

#include <algorithm>
#include <cstdio>

namespace gb::emu {

namespace {

std::string bits(std::uint8_t b) {
    std::string s(8, '.');
    for (int i = 0; i < 8; ++i) {
        if (b & (0x80 >> i)) s[i] = '1';
    }
    return s;
}

} // namespace

std::string describeFaults(const Faults& f) {
    std::string s;
    auto add = [&](const std::string& part) { s += (s.empty() ? "" : ", ") + part; };
    if (f.silent) add("silent");
    if (f.dropAnswers > 0) add("drop next " + std::to_string(f.dropAnswers) + " answers");
    if (f.wrongCodes) add("wrong answer codes");
    if (f.isaSlowReads > 0) add("slow ISA (" + std::to_string(f.isaSlowReads) + " reads)");
    if (f.garbageEvents) add("garbage events");
    if (f.refuseOutput) add("refuses output");
    if (f.outputBusy) add("output buffer busy");
    if (f.failControl) add("control requests fail");
    return s.empty() ? "none" : s;
}

std::string labelledLogEntry(const LogEntry& entry, const CardLabels* labels) {
    std::string line = formatLogEntry(entry);
    std::string names = labels != nullptr ? labels->packet(entry) : "";
    if (!names.empty()) line += "  | " + names;
    return line;
}

std::string renderCardState(const Card& card, const std::string& title, int logLines,
                            const CardLabels* labels) {
    std::string out = title + "\n";
    char line[256];
    std::snprintf(line, sizeof line,
                  "packets %llu  batches %llu  items %llu  QProcs %llu  malformed %llu  "
                  "events waiting %zu\n",
                  static_cast<unsigned long long>(card.log().total()),
                  static_cast<unsigned long long>(card.batchCount()),
                  static_cast<unsigned long long>(card.itemCount()),
                  static_cast<unsigned long long>(card.qprocCount()),
                  static_cast<unsigned long long>(card.malformedCount()), card.pendingEvents());
    out += line;
    std::string mode = "-";
    if (card.mode() >= 0) {
        std::uint8_t m = static_cast<std::uint8_t>(card.mode());
        mode = hexBytes(&m, 1);
    }
    std::snprintf(line, sizeof line,
                  "handshakes %d  mode %s  USB interrupt polling %s  faults: %s\n",
                  card.handshakes(), mode.c_str(), card.usbInterruptPolling() ? "on" : "off",
                  describeFaults(card.faults()).c_str());
    out += line;
    if (card.scripted()) {
        out += "scripted: " + std::to_string(card.scriptRemaining()) + " answers left\n";
    }

    out += labels != nullptr ? "\nPigeon-holes lit or bound (bits of bytes 0-3):\n"
                             : "\nPigeon-holes lit (bits of bytes 0-3):\n";
    int shown = 0;
    int lit = 0;
    for (int ph = 0; ph < 256; ++ph) {
        const std::uint8_t* b = card.pigeonHole(ph);
        const bool bound = labels != nullptr && card.pigeonHoleWrites(ph) > 0 && labels->binds(ph);
        if ((b[0] | b[1] | b[2] | b[3]) == 0 && !bound) continue;
        ++lit;
        if (shown == 16) continue;
        ++shown;
        std::snprintf(line, sizeof line, "  PH %3d  %s %s %s %s   (%s)", ph, bits(b[0]).c_str(),
                      bits(b[1]).c_str(), bits(b[2]).c_str(), bits(b[3]).c_str(),
                      hexBytes(b, 4).c_str());
        out += line;
        if (labels != nullptr) {
            std::string names = labels->pigeonHole(ph, b);
            if (!names.empty()) out += "  " + names;
        }
        out += "\n";
    }
    if (lit == 0) out += "  (none)\n";
    if (lit > shown) out += "  ... and " + std::to_string(lit - shown) + " more\n";

    out += "\nLast QProcs (newest first):";
    std::size_t count = std::min<std::uint64_t>(card.qprocCount(), labels != nullptr ? 8 : 16);
    for (std::size_t i = 0; i < count; ++i) {
        const int qp = card.recentQProc(i);
        if (labels == nullptr) {
            out += ' ' + std::to_string(qp);
            continue;
        }
        // One call a line, with the element and state it stands for.
        std::string names = labels->qproc(qp);
        out += "\n  " + (names.empty() ? "QProc " + std::to_string(qp) : names);
    }
    if (count == 0) out += " (none)";
    out += "\n";

    if (logLines > 0) {
        out += "\nLast packets:\n";
        const PacketLog& log = card.log();
        std::size_t from =
            log.size() > static_cast<std::size_t>(logLines) ? log.size() - logLines : 0;
        for (std::size_t i = from; i < log.size(); ++i)
            out += labelledLogEntry(log.at(i), labels) + "\n";
    }
    return out;
}

} // namespace gb::emu
