// Timed outputs: outputs switched on until a time has passed or until a
// rotation sensor has turned by an amount. ReadThread ends them from the
// frame stream (ControlBox_CheckTimedOutputs, once per frame) and pulses
// OutputWaitEvent for the waiters.
#pragma once

#include <cstdint>
#include <functional>

// Wait source: timed outputs run by the clock, or (4-7) by the rotation
// count of that input index.
inline constexpr uint8_t kWaitByTime = 15;
// One more entry than there are outputs; it serves none.
inline constexpr int kWaitSources = 9;

void ControlBox_SetWaitSource(int outputIndex, uint8_t source);
uint8_t ControlBox_GetWaitSource(int outputIndex);

// Called now and then while waiting; true ends the wait early (the timed
// outputs themselves go on and end by the stream).
using StopCheck = std::function<bool()>;

// Runs every output of the mask for the amount (tenths of a second, or
// rotation steps either way) and returns when all have ended.
void ControlBox_OnFor(uint8_t mask, int32_t amount, const StopCheck& stop = {});
// The same for the output id 1-8 (a bad id ends the program).
void ControlBox_OnForOne(int id, int32_t amount, const StopCheck& stop = {});
// Returns when no output of the mask has a timed output running, or when
// the port is closed.
void ControlBox_WaitOutputs(uint8_t mask, const StopCheck& stop = {});
// Whether the output index has a timed output running.
bool ControlBox_TimedOutputActive(int outputIndex);

// ReadThread, for the slot it has just decoded and stamped: ends the timed
// outputs that are due, switches them off and pulses OutputWaitEvent.
void ControlBox_CheckTimedOutputs(uint32_t slot);

// The link's close and loss: every timed wait ends and its waiters go on.
void EndTimedOutputs();

// Part of the open's reset (ResetOutputs): wait sources by time, no timed
// output running.
void ResetTimedOutputs();
