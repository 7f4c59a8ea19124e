// The threads that keep the link alive, and the loss of the link.
//
// ReadThread (one per open): the logon, then the frame loop, then the
// link-lost path. SyncThread (one per open): a SYNC byte every 2 s once
// logged on. MonitorThread (one per open): the delay monitor's sounds once
// a second. ReconnectThread (from the first successful open to the next
// close): reopens a lost link every 3 s.
//
// Threads are stopped cooperatively and joined: ReadThread by cancelling
// its port's reads, the others by waking them from their sleep. None is
// ever killed.
#pragma once

#include <cstdint>

// Starts ReadThread, SyncThread (held until the logon succeeds) and
// MonitorThread for the port just installed in the link. False when one
// could not be made; none is left running then. Called by the open, which
// holds the open/close lock.
bool StartLinkThreads();

// The close's first step: from now on a lost link is the close's to clean
// up, and ReadThread is woken from its read. True when the port was open
// (not already closed by a lost link).
bool InterruptLinkThreads();

// Joins ReadThread (which must have been interrupted, or have ended after a
// lost link) and stops SyncThread and MonitorThread.
void StopLinkThreads();

// ReconnectThread: started by a successful open when it does not run,
// stopped by the close. Both under the open/close lock.
void StartReconnectThread();
void StopReconnectThread();
bool ReconnectThreadRunning();

// The link is lost (ReadThread, after a failed logon or when the frame loop
// ends): the user is told once, the port is closed and the port name kept
// for ReconnectThread. Returns; ReadThread then ends. Does nothing while
// the link is being closed.
void ControlBox_LinkLost();

// One round of MonitorThread: the bell for missed frames and for a
// resynchronisation, as the delay-monitor threshold asks.
void MonitorRound();

// The priority codes of the link threads.
inline constexpr int32_t kIdleThreadPriority = -15;
inline constexpr int32_t kDefaultInputPriority = 15;
inline constexpr int32_t kDefaultSyncPriority = -2;
