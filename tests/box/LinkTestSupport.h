// What the tests of the serial link share: a fixture that registers the
// test as the main thread, collects the link's notices and messages and
// keeps a simulated box of its own, and a port that the test keeps sight of
// after the link has closed it.
#pragma once

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BoxTestSupport.h"
#include "FakePort.h"
#include "LogoCore/MainThreadCall.h"
#include "box/BoxLink.h"
#include "box/LinkState.h"
#include "box/Logon.h"
#include "box/VirtualBox.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "platform/ThreadQueue.h"

inline std::vector<uint8_t> ReplyBytes() {
    return std::vector<uint8_t>(kLogonReply.begin(), kLogonReply.end());
}

// A port the link may own and close while the test still looks at the
// fake behind it.
class SharedPort : public platform::SerialPort {
  public:
    explicit SharedPort(std::shared_ptr<FakePort> port) : port_(std::move(port)) {}
    int Read(uint8_t* buffer, int n, int interval, int total) override {
        return port_->Read(buffer, n, interval, total);
    }
    bool Write(const uint8_t* bytes, int n, int timeout) override {
        return port_->Write(bytes, n, timeout);
    }
    bool SendImmediately(uint8_t byte) override { return port_->SendImmediately(byte); }
    bool Purge() override { return port_->Purge(); }
    bool PurgeInput() override { return port_->PurgeInput(); }
    uint32_t TakeLineErrors() override { return port_->TakeLineErrors(); }
    void CancelReads() override { port_->CancelReads(); }

  private:
    std::shared_ptr<FakePort> port_;
};

inline int CountNotices(const std::vector<Notice>& notices, uint32_t number, intptr_t lParam) {
    int count = 0;
    for (const Notice& n : notices)
        if (n.number == number && n.lParam == lParam) ++count;
    return count;
}

// The test's thread is the main thread the link posts to; the user's
// messages are collected. Every test ends with the link closed.
class LinkFixture : public CollectingTest {
  protected:
    void SetUp() override {
        std::string error;
        const auto catalog = platform::FindDataFile(platform::kResourceFileName);
        ASSERT_TRUE(catalog && platform::ResourceLibrary().Load(*catalog, &error)) << error;
        configDir_ = std::filesystem::temp_directory_path() /
                     ("kinetra-link-test-" + std::to_string(getpid()));
        platform::SetConfigDirectory(configDir_);
        LinkState& link = Link();
        link.mainThread = platform::CurrentThreadId();
        link.errorReported = false;
        CollectingTest::SetUp();
    }

    void TearDown() override {
        ControlBox_Close();
        Link().mainThread = 0;
        Link().errorReported = false;
        platform::SetConfigDirectory({});
        std::error_code ignored;
        std::filesystem::remove_all(configDir_, ignored);
        CollectingTest::TearDown();
    }

    // A simulated box of the test's own, which the link opens by its path
    // like any port. It outlives the link.
    VirtualBox* Box() {
        if (!box_) box_ = VirtualBox::Start();
        return box_.get();
    }

    // Opens the link over a fake port that the test keeps.
    std::shared_ptr<FakePort> OpenFake(bool live = true) {
        auto fake = std::make_shared<FakePort>(live);
        EXPECT_EQ(ControlBox_OpenPort("fake", std::make_unique<SharedPort>(fake)), kOpenOk);
        return fake;
    }

    // Waits until the notices seen (kept in *seen) hold n link-lost ones.
    bool WaitForLinkLost(int n, std::vector<Notice>* seen, int milliseconds = 15000) {
        return Eventually(
            [&] {
                for (const Notice& notice : TakeNotices(10)) seen->push_back(notice);
                return CountNotices(*seen, kBoxMessage, 1502) >= n;
            },
            milliseconds);
    }

  private:
    std::unique_ptr<VirtualBox> box_;
    std::filesystem::path configDir_;
};

// A live link with frames flowing: logged on, and the ring being filled.
inline bool LoggedOn() {
    return Link().loggedOn.load() && Link().portOpen.load();
}
