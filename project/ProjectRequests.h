// The requests by which the project's primitives, on Logo threads, have the
// main thread act on the document, its pages and objects, and its file.
#pragma once

#include <cstdint>
#include <span>
#include <string>

class CHandleData;

// Message numbers, in the range of the main-thread call channel's requests.
inline constexpr uint32_t kCreateObject = 0x7231;  // text kind, name; numbers x y w h
inline constexpr uint32_t kResizeObject = 0x7232;  // name; numbers w h
inline constexpr uint32_t kMoveObject = 0x7233;    // name; numbers x y
inline constexpr uint32_t kRenameObject = 0x7236;  // name; text the new name
inline constexpr uint32_t kClearPage = 0x7239;     // name the page
inline constexpr uint32_t kActivatePage = 0x7240;  // name the page
inline constexpr uint32_t kDeletePage = 0x7241;    // name the page
inline constexpr uint32_t kNewPage = 0x7242;       // -
inline constexpr uint32_t kRenamePage =
    0x7243;  // name the page (empty: the current one); text the new name
inline constexpr uint32_t kCloseProject = 0x7244;   // flag: save it first
inline constexpr uint32_t kSaveProjectAs = 0x7245;  // name the path
inline constexpr uint32_t kOpenProject = 0x7246;  // name the path; flag: save a modified one first
inline constexpr uint32_t kNewProjectRequest = 0x7247;
inline constexpr uint32_t kInsertProcedures = 0x7259;  // text

struct ProjectRequest {
    std::string calledName;  // the primitive's, for its errors
    std::string name;
    std::string text;
    int32_t numbers[4] = {};
    bool flag = false;
};

// The numbers the main thread serves with ServeProjectRequest.
std::span<const uint32_t> ProjectRequestNumbers();

// On the main thread: does what the request asks and returns its value
// (mostly none), or raises a Logo error. No open project: -61; no object
// of the name: -70.
CHandleData* ServeProjectRequest(uint32_t number, ProjectRequest& request);

// On a Logo thread: posts the request and waits for the reply, raising an
// error reply. Without a main thread to serve it, or on the main thread
// itself, the request is served at once.
CHandleData* CallProject(uint32_t number, ProjectRequest& request);
