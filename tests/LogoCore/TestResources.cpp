#include "LogoCore/TestResources.h"

#include <cstdio>
#include <string>

#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"

void ResourceEnvironment::SetUp() {
    const auto file = platform::FindDataFile(platform::kResourceFileName);
    if (!file) {
        std::fprintf(stderr, "resource library %s not found; set KINETRA_DATA_DIR\n",
                     std::string(platform::kResourceFileName).c_str());
        FAIL() << "resource library not found";
    }
    std::string error;
    if (!platform::ResourceLibrary().Load(*file, &error)) {
        std::fprintf(stderr, "resource library not loaded: %s\n", error.c_str());
        FAIL() << "resource library not loaded: " << error;
    }
}

namespace {

// Registered before main() runs; gtest owns and deletes the environment.
[[maybe_unused]] ::testing::Environment* const gResources =
    ::testing::AddGlobalTestEnvironment(new ResourceEnvironment);

}  // namespace
