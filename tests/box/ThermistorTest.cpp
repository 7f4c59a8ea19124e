// The generated thermistor table: through every known point of the sensor,
// never rising and without jumps. Readings outside it are checked with the
// sample ring's temperatures.
#include <gtest/gtest.h>

#include <utility>

#include "box/Thermistor.h"

namespace {

TEST(SampleRingThermistor, PassesThroughEveryKnownPointAndFallsSmoothly) {
    const std::pair<int, int> known[] = {
        {197, 1500}, {200, 1400}, {210, 1200}, {250, 864},  {300, 668},   {350, 548},  {400, 458},
        {450, 386},  {500, 322},  {550, 264},  {600, 210},  {650, 156},   {700, 104},  {750, 50},
        {800, -6},   {850, -70},  {900, -148}, {950, -250}, {1000, -446}, {1020, -770}};
    for (auto [raw, tenths] : known)
        EXPECT_EQ(kThermistorTable[raw - kThermistorFirstRaw], tenths) << "raw " << raw;
    EXPECT_EQ(kThermistorEntries, 824);
    // The steepest known stretch (197-200) falls 33 tenths per reading; a
    // jump well beyond that is an interpolation gone wrong.
    for (int i = 1; i < kThermistorEntries; ++i) {
        const int fall = kThermistorTable[i - 1] - kThermistorTable[i];
        EXPECT_TRUE(fall >= 0 && fall <= 40) << "raw " << kThermistorFirstRaw + i << ": " << fall;
    }
    EXPECT_DOUBLE_EQ(ThermistorCelsius(700), 10.4);
}

}  // namespace
