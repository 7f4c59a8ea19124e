#include "platform/DataFiles.h"

#include "platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using platform_test::ScopedEnv;
using platform_test::TempDirectory;

// Changes the working directory for the life of the object.
class ScopedWorkingDirectory {
  public:
    explicit ScopedWorkingDirectory(const fs::path& directory) : old_(fs::current_path()) {
        fs::current_path(directory);
    }
    ~ScopedWorkingDirectory() { fs::current_path(old_); }

  private:
    fs::path old_;
};

void Touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

TEST(DataFiles, ProgramDirectoryHoldsTheRunningProgram) {
    const fs::path directory = platform::ProgramDirectory();
    ASSERT_TRUE(directory.is_absolute());
    EXPECT_TRUE(fs::is_directory(directory));
    // The program itself is one of the regular files there.
    bool found = false;
    for (const auto& entry : fs::directory_iterator(directory)) {
        if (entry.is_regular_file() && fs::equivalent(entry.path(), "/proc/self/exe")) found = true;
    }
    EXPECT_TRUE(found);
}

TEST(DataFiles, SearchPathOrder) {
    TempDirectory data;
    TempDirectory work;
    ScopedEnv env("KINETRA_DATA_DIR", data.Path().c_str());
    ScopedWorkingDirectory cd(work.Path());
    const std::vector<fs::path> path = platform::DataSearchPath();
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path[0], data.Path());
    EXPECT_EQ(path[1], platform::ProgramDirectory());
    EXPECT_TRUE(fs::equivalent(path[2], work.Path()));
    EXPECT_TRUE(path.back().is_absolute());
}

TEST(DataFiles, EmptyOrMissingEnvironmentIsLeftOut) {
    TempDirectory work;
    ScopedWorkingDirectory cd(work.Path());
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        ScopedEnv env("KINETRA_DATA_DIR", value);
        const std::vector<fs::path> path = platform::DataSearchPath();
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(path[0], platform::ProgramDirectory());
    }
}

TEST(DataFiles, FindTakesTheFirstRegularFileOnThePath) {
    TempDirectory data;
    TempDirectory work;
    ScopedEnv env("KINETRA_DATA_DIR", data.Path().c_str());
    ScopedWorkingDirectory cd(work.Path());

    Touch(work.Path() / "only-here.txt");
    Touch(work.Path() / "both.txt");
    Touch(data.Path() / "both.txt");
    fs::create_directory(data.Path() / "dir.txt");  // a directory is not a data file
    Touch(work.Path() / "dir.txt");

    EXPECT_EQ(platform::FindDataFile("both.txt"), data.Path() / "both.txt");
    const auto onlyHere = platform::FindDataFile("only-here.txt");
    ASSERT_TRUE(onlyHere.has_value());
    EXPECT_TRUE(fs::equivalent(*onlyHere, work.Path() / "only-here.txt"));
    const auto dir = platform::FindDataFile("dir.txt");
    ASSERT_TRUE(dir.has_value());
    EXPECT_TRUE(fs::equivalent(*dir, work.Path() / "dir.txt"));
    EXPECT_EQ(platform::FindDataFile("no-such-file.txt"), std::nullopt);
    EXPECT_EQ(platform::FindDataFile(""), std::nullopt);
}

}  // namespace
