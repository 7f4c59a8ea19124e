// What the tests of the sensor setup share: a project name table of their
// own, and a setup that is the active one over an open, logged-on fake link
// with the box's primitives under their shipped names.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
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
#include "platform/Utf8.h"

using NameMap = std::map<std::string, int32_t>;

// The project's name table as the setup sees it: names in any case, each
// with its value (port + 1, or 0 for a page object).
class FakeSetupNames : public SetupNames {
  public:
    void EnterPortName(const std::string& name, int32_t portValue) override {
        std::lock_guard<std::mutex> hold(lock_);
        const std::string key = platform::LowerCase(name);
        if (names_.count(key)) RaiseError(kErrorNameInUse, {name});
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

    NameMap All() {
        std::lock_guard<std::mutex> hold(lock_);
        return names_;
    }

  private:
    std::mutex lock_;
    NameMap names_;
};

class SetupTest : public BoxLinkTest {
  protected:
    void SetUp() override {
        BoxLinkTest::SetUp();
        UseVocabulary({CorePrimitiveFamily(), BoxPrimitiveFamily()});
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

    FakeSetupNames names_;
    std::shared_ptr<CSetupData> setup_;
};
