// The box's input stream: 19-byte frames, back to back, each with the state
// of the eight inputs. ReadThread reads them, finds its place again after a
// line error, and decodes each frame into the sample ring.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kFrameBytes = 19;

// Decodes the frame into the slot at the write index, stamped now, then
// moves the index on. False, after posting "Check sum error" to the main
// thread, when the frame's check byte is wrong: the link must be lost.
bool ControlBox_DecodeFrame(const uint8_t* frame);
// The same with a given stamp (replaying a recorded stream, tests).
bool ControlBox_DecodeFrameAt(const uint8_t* frame, uint32_t stamp);

// Whether the bytes look like a frame: header, zero byte, the four low
// step-code bits of inputs 1-4 clear, and the sum.
bool ControlBox_ValidFrame(const uint8_t* frame);

// After a line error (the port's kLine... bits): slides through the stream
// until the buffer holds a valid frame. True when it does; false when the
// link must be lost (a failed read, or 8 failed attempts, after which the
// error's text has been posted to the main thread).
bool ControlBox_Resync(uint8_t* frame, uint32_t errorBits);

// The text telling the user about the line error bits.
std::string CommsErrorText(uint32_t errorBits);

// ReadThread's loop after a successful logon: reads, checks and decodes
// frames from Link().port, pulsing FrameEvent after each, and returns when
// the link must be lost (the caller then runs the link-lost path).
void RunFrameLoop();
