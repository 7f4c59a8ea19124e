// The commands the host sends the box: one or two bytes each, written whole
// under LinkLock. Outputs are given by id 1-8 or by a mask with bit n for
// id n + 1. While the box is not logged on every command is dropped
// silently; the small per-output memory below still follows the calls, so
// that an on or off the box already has costs no byte.
#pragma once

#include <cstdint>

// Output states the host remembers.
inline constexpr int32_t kOutputUnknown = 0;
inline constexpr int32_t kOutputOff = 1;
inline constexpr int32_t kOutputOn = 2;
inline constexpr int32_t kOutputPowerZero = 5;  // power 0 while not off

inline constexpr int kBoxOutputs = 8;

// The raw write of one byte, whether logged on or not (the logon's first
// byte). False, after telling the user, when the write failed; false
// silently when there is no port.
bool ControlBox_SendByte(uint8_t byte);
// The same, but only while logged on with the port open.
bool ControlBox_SendCommand(uint8_t byte);
// A command and its argument in one write, gated like ControlBox_SendCommand.
bool ControlBox_SendPair(uint8_t command, uint8_t argument);
// The link-end byte of a lost link, gated the same. The box is most likely
// gone (an unplugged adapter fails every write): the user hears of the
// loss, and nothing of this byte.
void ControlBox_SendLinkEnd();

// Switches one output; false when the remembered state made the byte
// unnecessary. A bad id ends the program.
bool ControlBox_SetOutputState(int id, bool on);
void ControlBox_OutputsOnOff(uint8_t mask, bool on);
// Also ends every timed output (and so the waits for them).
void ControlBox_AllOff();
void ControlBox_AllOn();
// direction is 1 (nonzero) or 0.
void ControlBox_SetDirection(int id, int direction);
void ControlBox_SetDirectionMask(uint8_t mask, int direction);
// A bad id ends the program.
void ControlBox_OutputReverse(int id);
void ControlBox_ReverseMask(uint8_t mask);
// level 0-8; other levels are ignored.
void ControlBox_SetPower(int id, int level);
void ControlBox_SetPowerMask(uint8_t mask, int level);
int ControlBox_GetPower(int id);
// Pulse mode with parameters a and b (0-255); either 0 stops it.
void ControlBox_SetPulse(int id, int a, int b);
void ControlBox_SetPulseMask(uint8_t mask, int a, int b);
// Input setting v (0-15) of input index 0-7.
void ControlBox_SetInputSetting(int inputIndex, int v);

// The remembered state of an output (kOutput...), for the setup and tests.
int32_t ControlBox_OutputState(int id);

// The open's reset of every output: state unknown, power 8, timed by time,
// no timed output running, and nothing remembered of what the program set.
// (A reopen after a lost link keeps it all.)
void ResetOutputs();

// The logon's last step, under LinkLock once logged on: brings the box to
// what the program last set, whether the box heard it or not: every output
// on or off (off when never switched on), and the power levels,
// directions, pulse modes and input settings that were set.
void ControlBox_RestoreOutputs();

// Outputs whose timed switch-on ended without its off reaching the box (the
// link went): the program wants them off.
void ControlBox_RememberOff(uint8_t mask);

// "Bad output ID (%d)": shown, then the program ends.
[[noreturn]] void ControlBox_BadOutputId(int id);
