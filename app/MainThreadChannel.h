// The main thread's side of the call channel: serves the requests Logo
// threads post (see LogoCore/MainThreadCall.h), keeps the queue of threads
// waiting for a typed character, and hands notices to their handlers. The
// front end's event loop calls PumpMessages.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

#include "LogoCore/MainThreadCall.h"
#include "platform/ThreadQueue.h"

// Frees the record and posts the reply (a handle, 0, or ErrorHandle(n) for
// an error number) to the caller. A cell nobody can receive any more (the
// caller has ended or gave up its wait) is released, and the result is false.
bool ReplyToCaller(CallerRecord* caller, CHandleData* result);

// True when the caller's thread has ended, it gave up its wait, or the main
// thread is about to quit; the request is then dropped without a reply.
bool CallerGone(const CallerRecord* caller);

// Has the main thread reply later, through its own queue (0x7257). In a
// window system this lets the screen show a change before the primitive
// returns; a terminal has no paint work, so the reply goes out as soon as
// the message is dispatched.
void DeferReply(CallerRecord* caller, CHandleData* result);

// The queue of threads waiting for a typed character, oldest first. It is
// locked, as Logo may be stopped from any thread.
void AddKeyWaiter(CallerRecord* caller);
// Gives the oldest waiter the character (one UTF-8 character) as a word.
// Waiters whose threads have ended or who gave up are passed over. False
// when nobody waits.
bool DeliverTypedCharacter(std::string_view utf8Char);
// Ends every wait for a character with error -65; Logo is being stopped.
void ReleaseKeyWaiters();
// The waiters still waiting.
std::size_t KeyWaiterCount();

// A request handler replies with ReplyToCaller or DeferReply (or drops the
// request, freeing the record) and is called only when the caller still
// lives. The wait for a character (0x7211) has a built-in handler.
using RequestHandler = std::function<void(CallerRecord* caller, void* block)>;
void SetRequestHandler(uint32_t number, RequestHandler handler);  // empty removes

// Notices carry no caller record; the handler reads wParam and lParam as the
// sender left them.
using NoticeHandler = std::function<void(const platform::ThreadMessage& notice)>;
void SetNoticeHandler(uint32_t number, NoticeHandler handler);  // empty removes

// Serves one message taken from the main thread's queue. False when no
// handler knows the number; a request nobody handles is answered with "no
// value" at once, which is what its caller would get after the time-out.
bool DispatchMessage(const platform::ThreadMessage& message);

// Waits at most the time for a message, then serves every message that is
// waiting. False once the quit message has been taken: the loop should end.
bool PumpMessages(int timeoutMs);

// Posts the quit message to the main thread. Requests still queued behind
// it are dropped from then on.
bool PostQuit();
