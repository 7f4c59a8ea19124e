#include "platform/DataFiles.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(DataFiles, SearchedInOrderAndTheFirstRegularFileIsTaken) {
    const struct Scratch {  // a working directory of its own; what the test runner set comes back
        fs::path cwd = fs::current_path();
        std::string env = std::getenv("KINETRA_DATA_DIR") ? std::getenv("KINETRA_DATA_DIR") : "";
        fs::path work = fs::path(::testing::TempDir()) / ("kinetra-" + std::to_string(::getpid()));
        ~Scratch() {
            fs::current_path(cwd);
            ::setenv("KINETRA_DATA_DIR", env.c_str(), 1);
            fs::remove_all(work);
        }
    } scratch;
    const fs::path data = scratch.work / "data";
    fs::create_directories(data);
    fs::current_path(scratch.work);
    ::setenv("KINETRA_DATA_DIR", "", 1);  // empty: left out
    EXPECT_EQ(platform::DataSearchPath().at(0), platform::ProgramDirectory());
    ::setenv("KINETRA_DATA_DIR", data.c_str(), 1);
    const std::vector<fs::path> path = platform::DataSearchPath();
    ASSERT_GE(path.size(), 3u);
    EXPECT_EQ(path[0], data);
    EXPECT_EQ(path[1], platform::ProgramDirectory());
    EXPECT_TRUE(fs::equivalent(path[2], scratch.work));
    EXPECT_TRUE(path.back().is_absolute());  // the installed directory

    for (const char* name : {"both.txt", "here.txt", "dir.txt"}) std::ofstream(name) << "x";
    std::ofstream(data / "both.txt") << "x";
    fs::create_directory(data / "dir.txt");  // a directory is not a data file
    EXPECT_EQ(platform::FindDataFile("both.txt"), data / "both.txt");
    for (const char* name : {"here.txt", "dir.txt"}) {
        const auto found = platform::FindDataFile(name);
        EXPECT_TRUE(found && fs::equivalent(*found, scratch.work / name)) << name;
    }
    EXPECT_EQ(platform::FindDataFile("missing.txt"), std::nullopt);
    EXPECT_EQ(platform::FindDataFile(""), std::nullopt);
}

}  // namespace
