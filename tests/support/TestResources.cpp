// The resource library holds the error messages and the words for true and
// false that the tests compare against; it is loaded once, before any test
// runs, and a missing or malformed one fails them all.
#include <gtest/gtest.h>

#include <string>

#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"

namespace {

class ResourceEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        const auto file = platform::FindDataFile(platform::kResourceFileName);
        ASSERT_TRUE(file) << "resource library not found; set KINETRA_DATA_DIR";
        std::string error;
        ASSERT_TRUE(platform::ResourceLibrary().Load(*file, &error))
            << "resource library not loaded: " << error;
    }
};

// Registered before main() runs; gtest owns and deletes the environment.
[[maybe_unused]] ::testing::Environment* const gResources =
    ::testing::AddGlobalTestEnvironment(new ResourceEnvironment);

}  // namespace
