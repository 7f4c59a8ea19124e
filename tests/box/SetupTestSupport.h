// What the tests of the sensor setup share: a project name table of their
// own, a setup that is the active one over an open, logged-on fake link,
// and the Logo vocabulary with the setup's dot-primitives.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "BoxTestSupport.h"
#include "CoreVocabulary.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"
#include "box/BoxPrimitives.h"
#include "box/InputStream.h"
#include "box/SensorSetup.h"
#include "box/SetupPrimitives.h"
#include "platform/Utf8.h"

// The project's name table as the setup sees it: names in any case, each
// with its value (port + 1, or 0 for a page object).
class FakeSetupNames : public SetupNames {
  public:
    void EnterPortName(const std::string& name, int32_t portValue) override {
        std::lock_guard<std::mutex> hold(lock_);
        const std::string key = platform::LowerCase(name);
        if (refuseNextEnter_ || names_.count(key)) {
            refuseNextEnter_ = false;
            RaiseError(kErrorNameInUse, {name});
        }
        names_[key] = portValue;
    }
    void RemovePortName(const std::string& name) override {
        std::lock_guard<std::mutex> hold(lock_);
        if (names_.erase(platform::LowerCase(name)) == 0) RaiseError(-19);
    }
    bool HasName(const std::string& name) override {
        std::lock_guard<std::mutex> hold(lock_);
        return names_.count(platform::LowerCase(name)) != 0;
    }

    std::optional<int32_t> ValueOf(const std::string& name) {
        std::lock_guard<std::mutex> hold(lock_);
        const auto it = names_.find(platform::LowerCase(name));
        if (it == names_.end()) return std::nullopt;
        return it->second;
    }
    std::map<std::string, int32_t> All() {
        std::lock_guard<std::mutex> hold(lock_);
        return names_;
    }
    // The next entry is refused as if someone had taken the name between
    // the setup's check and its entry.
    void RefuseNextEnter() {
        std::lock_guard<std::mutex> hold(lock_);
        refuseNextEnter_ = true;
    }

  private:
    std::mutex lock_;
    std::map<std::string, int32_t> names_;
    bool refuseNextEnter_ = false;
};

// The text of the Logo error the call raises; empty when it raises none.
template <typename Call>
std::string LogoErrorOf(Call call) {
    try {
        call();
    } catch (const LogoError& e) {
        std::string text = ErrorText(e.handle);
        Release(e.handle);
        return text;
    }
    return {};
}

// The setup's dot-primitives under their names, whatever the box family's
// rows give them.
inline void RegisterSetupPrimitives() {
    RegisterPrimitive(".setboxname", SetBoxName, 32002, 65536, 2, 2, 2, 0);
    RegisterPrimitive(".setboxtype", SetBoxType, 32003, 65537, 2, 2, 2, 0);
    RegisterPrimitive(".setonfor", SetOnFor, 32004, 65538, 2, 2, 2, 0);
}

class SetupTest : public BoxLinkTest {
  protected:
    void SetUp() override {
        BoxLinkTest::SetUp();
        UseVocabulary({CorePrimitiveFamily(), BoxPrimitiveFamily()});
        RegisterSetupPrimitives();
        setup_ = std::make_shared<CSetupData>(&names_);
        SetActiveSetup(setup_);
    }

    void TearDown() override {
        SetActiveSetup(nullptr);
        setup_.reset();
        RemoveProcedures();
        ResetOutputs();  // wait sources back to time
        BoxLinkTest::TearDown();
    }

    CSetupData& TheSetup() { return *setup_; }

    static void Decode(int input, InputWord word, uint32_t stamp = 0) {
        const std::vector<uint8_t> frame = FrameWith(input, word);
        if (stamp == 0)
            ASSERT_TRUE(ControlBox_DecodeFrame(frame.data()));
        else
            ASSERT_TRUE(ControlBox_DecodeFrameAt(frame.data(), stamp));
    }

    FakeSetupNames names_;
    std::shared_ptr<CSetupData> setup_;
};
