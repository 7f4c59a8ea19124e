// Memory figures from the kernel's texts: which lines count, how the
// numbers are cut, and which texts are refused rather than misread.
#include "platform/MemoryStatus.h"

#include <gtest/gtest.h>

TEST(MemoryStatus, MeminfoGivesFreeMegabytesCutToTwoDecimalsAndAWholeLoad) {
    const auto status = platform::ParseMeminfo(
        "MemTotal:        3000 kB\n"
        "MemAvailable:    1000 kB\n"
        "SwapTotal:       2048 kB\n"
        "SwapFree:        1047 kB\n"
        "HugePages_Total:    0\n");
    ASSERT_TRUE(status);
    EXPECT_DOUBLE_EQ(platform::AvailableMegabytes(*status), 1.99) << "2047 kB is 1.999 MB";
    EXPECT_EQ(platform::MemoryLoadPercent(*status), 66) << "two thirds in use";
    platform::MemoryStatus process;
    process.usedVirtualKb = 3892;
    EXPECT_DOUBLE_EQ(platform::UsedVirtualMegabytes(process), 3892.0 / 1024.0);
}

TEST(MemoryStatus, AFieldIsAWholeNameAtTheStartOfALineWithWholeKilobytes) {
    const char status[] = "VmSizeX:\t1 kB\nVmSize:\t    3892 kB\r\nVmPeak: 7 kB";
    EXPECT_EQ(platform::KilobyteField(status, "VmSize"), 3892u);
    EXPECT_EQ(platform::KilobyteField(status, "VmPeak"), 7u);
    EXPECT_EQ(platform::KilobyteField(status, "Size"), std::nullopt);
    for (const char* line : {"VmSize: 12 MB", "VmSize: 12", "VmSize: 12kB", "VmSize: -12 kB",
                             "VmSize: 1.5 kB", "VmSize: 99999999999999999999999 kB"})
        EXPECT_EQ(platform::KilobyteField(line, "VmSize"), std::nullopt) << line;
}

TEST(MemoryStatus, MeminfoWithAMissingOrImpossibleFigureIsRefused) {
    for (const char* text :
         {"", "MemTotal: 4000 kB\nSwapFree: 0 kB\n", "MemTotal: 4000 kB\nMemAvailable: 1000 kB\n",
          "MemTotal: 0 kB\nMemAvailable: 0 kB\nSwapFree: 0 kB\n",
          "MemTotal: 1000 kB\nMemAvailable: 4000 kB\nSwapFree: 0 kB\n"})
        EXPECT_FALSE(platform::ParseMeminfo(text)) << text;
    std::string badFile;
    EXPECT_TRUE(platform::ReadMemoryStatus(&badFile)) << "this machine's: " << badFile;
}
