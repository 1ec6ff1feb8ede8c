#pragma once
// A scripted device port for byte-exact library tests: it records every packet written and every
// control request, and answers each read from a per-device queue of prepared answers (a queued
// failure makes that read fail). When a device's queue is empty, its idle answer, if set, is
// served; otherwise the read fails, as with a card that does not answer.
//
// QuarnioTest loads the library afresh for each test on the simulated clock, with a FakePort
// installed (a QuarnioSession from tests/support).

#include "platform/device_port.h"
#include "platform/event_loop.h"
#include "quarnio/library.h"
#include "quarnio/quarnio.h"
#include "support/quarnio_session.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace gb::test {

using Bytes = std::array<std::uint8_t, 64>;

inline Bytes bytes(std::initializer_list<int> list) {
    Bytes b{};
    std::size_t i = 0;
    for (int v : list)
        b[i++] = static_cast<std::uint8_t>(v);
    return b;
}

// True when `packet` begins with `prefix`; the rest is whatever the send buffer held.
inline ::testing::AssertionResult startsWith(const Bytes& packet,
                                             std::initializer_list<int> prefix) {
    std::size_t i = 0;
    for (int v : prefix) {
        if (packet[i] != static_cast<std::uint8_t>(v)) {
            return ::testing::AssertionFailure()
                   << "byte " << i << " is " << int(packet[i]) << ", expected " << v;
        }
        ++i;
    }
    return ::testing::AssertionSuccess();
}

class FakePort : public gb::platform::DevicePortBackend {
public:
    struct Written {
        int device;
        Bytes data;
    };
    struct Control {
        int device;
        std::uint32_t code;
        std::uint32_t inLength;
        std::uint32_t outLength;
    };

    std::vector<std::string> opened;
    std::vector<Written> writes;
    std::vector<Control> controls;
    std::array<int, 8> reads{};
    std::array<int, 8> closes{};
    std::array<bool, 8> present{true, true, true, true, true, true, true, true};
    std::array<std::optional<Bytes>, 8> idle;
    bool controlResult = true;

    void answer(int device, const Bytes& b) { answers_[device].push_back(b); }
    void failRead(int device) { answers_[device].push_back(std::nullopt); }
    std::size_t pendingAnswers(int device) const { return answers_[device].size(); }

    // The written packets of one device, in order.
    std::vector<Bytes> writesOf(int device) const {
        std::vector<Bytes> out;
        for (const Written& w : writes)
            if (w.device == device) out.push_back(w.data);
        return out;
    }

    gb::platform::DeviceHandle open(const char* name) override {
        opened.emplace_back(name);
        int device = deviceOf(name);
        if (device < 0 || !present[device]) return gb::platform::InvalidDeviceHandle;
        return 100 + device;
    }
    bool write(gb::platform::DeviceHandle h, const void* data, std::uint32_t length,
               std::uint32_t* written) override {
        Written w{static_cast<int>(h - 100), {}};
        std::memcpy(w.data.data(), data, length < 64 ? length : 64);
        writes.push_back(w);
        *written = length;
        return true;
    }
    bool read(gb::platform::DeviceHandle h, void* data, std::uint32_t length,
              std::uint32_t* read) override {
        int device = static_cast<int>(h - 100);
        ++reads[device];
        *read = 0;
        std::optional<Bytes> a;
        if (!answers_[device].empty()) {
            a = answers_[device].front();
            answers_[device].pop_front();
        } else {
            a = idle[device];
        }
        if (!a) return false;
        std::memcpy(data, a->data(), length < 64 ? length : 64);
        *read = length;
        return true;
    }
    bool control(gb::platform::DeviceHandle h, std::uint32_t code, const void*,
                 std::uint32_t inLength, void*, std::uint32_t outLength,
                 std::uint32_t* returned) override {
        controls.push_back({static_cast<int>(h - 100), code, inLength, outLength});
        *returned = 0;
        return controlResult;
    }
    bool close(gb::platform::DeviceHandle h) override {
        ++closes[h - 100];
        return true;
    }

private:
    static int deviceOf(const std::string& name) {
        if (name == "\\\\.\\QUARNISADevice0") return 0;
        const std::string usb = "\\\\.\\QUARNUSBDevice";
        if (name.size() == usb.size() + 1 && name.compare(0, usb.size(), usb) == 0) {
            char d = name.back();
            if (d >= '0' && d <= '6') return d - '0' + 1;
        }
        return -1;
    }

    std::array<std::deque<std::optional<Bytes>>, 8> answers_;
};

class QuarnioTest : public ::testing::Test {
protected:
    FakePort port;
    // Devices a test leaves open stay as they are: the port only records what was sent.
    QuarnioSession session{port, QuarnioSessionOptions{true, false}};

    void SetUp() override { ASSERT_TRUE(session.loaded()); }

    // Opens a device with an accepting card and forgets the start-up packets.
    int openCard(int device) {
        if (device == 0) {
            port.answer(0, bytes({0x80, 0x04, 0x00}));
        } else {
            port.answer(device, bytes({0x08, 0x04, 0x00}));
        }
        int slot = _OpenDevice(device);
        EXPECT_GE(slot, 0);
        port.writes.clear();
        return slot;
    }

    // One poll answer for `device` with the given status byte.
    void answerPoll(int device, int status) { port.answer(device, bytes({status})); }

    std::uint32_t& busy(int device) { return quarnio::lib.devices[device].busy; }
};

} // namespace gb::test
