// What the box tests share: building and decoding frames, reading an
// input, waiting for a condition, and a link that is open and logged on
// over a FakePort, with the main thread's notices and the user's messages
// collected instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FakePort.h"
#include "LogoCore/MainThreadCall.h"
#include "box/InputStream.h"
#include "box/LinkState.h"
#include "box/OutputCommands.h"
#include "box/SampleRing.h"
#include "platform/MessageBox.h"
#include "platform/ThreadQueue.h"

// One input's 16-bit word.
struct InputWord {
    int raw = 512;
    int edges = 0;
    bool digital = true;
    bool countUp = false;
    int stepCode = 0;

    uint16_t Bits() const {
        return static_cast<uint16_t>((raw << 6) | (edges << 4) | (digital ? 8 : 0) |
                                     (countUp ? 4 : 0) | stepCode);
    }
};

// A frame from the header and the words by input index (0-7), with the
// check byte that makes it add up.
inline std::vector<uint8_t> MakeFrame(const std::array<InputWord, 8>& inputs,
                                      uint8_t header = 0x80) {
    static constexpr int kOffset[8] = {14, 10, 6, 2, 16, 12, 8, 4};
    std::vector<uint8_t> frame(19, 0);
    frame[0] = header;
    for (int i = 0; i < 8; ++i) {
        frame[kOffset[i]] = static_cast<uint8_t>(inputs[i].Bits() >> 8);
        frame[kOffset[i] + 1] = static_cast<uint8_t>(inputs[i].Bits() & 0xFF);
    }
    unsigned sum = 0;
    for (int i = 0; i < 18; ++i) sum += frame[i];
    frame[18] = static_cast<uint8_t>(0xFF - (sum & 0xFF));
    return frame;
}

// A frame with every input at its defaults but the one given.
inline std::vector<uint8_t> FrameWith(int input, InputWord word, uint8_t header = 0x80) {
    std::array<InputWord, 8> inputs{};
    inputs[input] = word;
    return MakeFrame(inputs, header);
}

// Decodes a frame with every input at its defaults but the one given.
inline void Decode(int input, InputWord word) {
    ASSERT_TRUE(ControlBox_DecodeFrame(FrameWith(input, word).data()));
}

// The input's raw reading in the newest frame.
inline int32_t InputValue(int input) {
    int32_t value = -1;
    ControlBox_Input(input, 0, &value, nullptr, nullptr, nullptr);
    return value;
}

// Waits, looking every 10 ms, until the condition holds; false when it
// still does not after the time. The times are generous upper bounds for a
// slow machine, never a measurement.
template <class Condition>
bool Eventually(Condition condition, int milliseconds = 10000) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

inline std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<uint8_t> bytes;
    for (int value : values) bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

struct Notice {
    uint32_t number;
    uintptr_t wParam;
    intptr_t lParam;
    std::string text;  // of a kBoxText notice
};

// A posted notice as the tests look at it; a text notice's text, which the
// receiver owns, is taken over and freed.
inline Notice TakeOverNotice(const platform::ThreadMessage& message) {
    Notice notice{message.number, message.wParam, message.lParam, {}};
    if (message.number == kBoxText) {
        std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(message.lParam));
        notice.text = *text;
    }
    return notice;
}

// The user's messages collected instead of shown, and the notices posted
// to this (the main) thread taken over.
class CollectingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetMessageSink([this](platform::MessageKind, std::string_view text) {
            std::lock_guard<std::mutex> hold(messagesLock_);
            messages_.emplace_back(text);
        });
    }
    void TearDown() override {
        platform::SetMessageSink({});
        TakeNotices();
    }

    // The notices posted since the last call, oldest first; waits at most
    // the time for the first one.
    std::vector<Notice> TakeNotices(int waitMs = 0) {
        std::vector<Notice> notices;
        for (auto message = platform::TakeMessage(waitMs); message;
             message = platform::TakeMessage(0))
            notices.push_back(TakeOverNotice(*message));
        return notices;
    }

    std::vector<std::string> Messages() {
        std::lock_guard<std::mutex> hold(messagesLock_);
        return messages_;
    }

  private:
    std::mutex messagesLock_;
    std::vector<std::string> messages_;
};

// A link that is open and logged on over a FakePort, with frames flowing.
class BoxLinkTest : public CollectingTest {
  protected:
    void SetUp() override {
        auto port = std::make_unique<FakePort>(LivePort());
        port_ = port.get();
        LinkState& link = Link();
        link.port = std::move(port);
        link.portOpen = true;
        link.loggedOn = true;
        link.eventsOpen = true;
        link.notReady = true;
        link.mainThread = platform::CurrentThreadId();
        ResetSampleRing();
        // As once frames flow: readers take the ring as it is.
        TheSampleRing().hasFrame = true;
        ResetOutputs();
        ControlBox_TakeMissedFrames();
        ControlBox_TakeResyncMark();
        ControlBox_TakeResyncCount();
        CollectingTest::SetUp();
    }

    void TearDown() override {
        LinkState& link = Link();
        link.portOpen = false;
        link.loggedOn = false;
        link.eventsOpen = false;
        link.port.reset();
        link.mainThread = 0;
        CollectingTest::TearDown();
    }

    virtual bool LivePort() const { return false; }

    FakePort& Port() { return *port_; }

    std::vector<uint8_t> Sent() { return port_->Written(); }

  private:
    FakePort* port_ = nullptr;
};
