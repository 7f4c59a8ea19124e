// The box driver lives above the interpreter. The little the core's own
// primitives need of it (waiting for the next input frame) comes through
// this seam, which the application connects when it opens the box.
#pragma once

#include <functional>

// Installs the wait for the next input frame; null restores the default.
void SetFrameWaiter(std::function<void(int milliseconds)> waiter);

// Waits for the next input frame of the box, at most the time. Without a
// box (or with its port closed) it sleeps the whole time.
void ControlBox_WaitFrame(int milliseconds);
