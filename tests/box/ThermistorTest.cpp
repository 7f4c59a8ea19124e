// The generated thermistor table: through every known point of the sensor,
// and never rising.
#include <gtest/gtest.h>

#include <utility>

#include "box/Thermistor.h"

namespace {

TEST(SampleRingThermistor, PassesThroughEveryKnownPoint) {
    const std::pair<int, int> known[] = {
        {197, 1500}, {200, 1400}, {210, 1200}, {250, 864},  {300, 668},   {350, 548},  {400, 458},
        {450, 386},  {500, 322},  {550, 264},  {600, 210},  {650, 156},   {700, 104},  {750, 50},
        {800, -6},   {850, -70},  {900, -148}, {950, -250}, {1000, -446}, {1020, -770}};
    for (auto [raw, tenths] : known)
        EXPECT_EQ(kThermistorTable[raw - kThermistorFirstRaw], tenths) << "raw " << raw;
}

TEST(SampleRingThermistor, HasOneEntryPerReadingAndNeverRises) {
    EXPECT_EQ(kThermistorEntries, 824);
    for (int i = 1; i < kThermistorEntries; ++i)
        EXPECT_LE(kThermistorTable[i], kThermistorTable[i - 1])
            << "raw " << kThermistorFirstRaw + i;
}

// A smooth curve: the steepest known stretch (197-200) falls 33 tenths per
// reading; a jump well beyond that is an interpolation gone wrong.
TEST(SampleRingThermistor, FallsWithoutJumps) {
    for (int i = 1; i < kThermistorEntries; ++i)
        EXPECT_LE(kThermistorTable[i - 1] - kThermistorTable[i], 40)
            << "raw " << kThermistorFirstRaw + i;
}

TEST(SampleRingThermistor, ReadingsOutsideTheTableTakeItsEnds) {
    EXPECT_EQ(ThermistorCelsius(0), 150.0);
    EXPECT_EQ(ThermistorCelsius(196), 150.0);
    EXPECT_EQ(ThermistorCelsius(1021), -77.0);
    EXPECT_EQ(ThermistorCelsius(1023), -77.0);
    EXPECT_DOUBLE_EQ(ThermistorCelsius(700), 10.4);
}

}  // namespace
