// The requests by which the project's primitives, on Logo threads, have the
// main thread act on the document, its pages and objects, and its file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CHandleData;

// Message numbers, in the range of the main-thread call channel's requests.
// Those on a page object name it (or "Procedures" where the procedures page
// takes the request).
inline constexpr uint32_t kActivate = 0x7212;       // flag: on
inline constexpr uint32_t kUpdateMonitor = 0x7213;  // text the value; task. Reply 1: go on
inline constexpr uint32_t kClearDrawing = 0x7214;   // the picture box's drawing
inline constexpr uint32_t kDrawTo = 0x7215;         // numbers x y; flag: a line, else a move
inline constexpr uint32_t kDrawLabel = 0x7216;      // text
inline constexpr uint32_t kExportPage = 0x7217;     // text the file; the current page
inline constexpr uint32_t kSetShape = 0x7218;       // text the shape, style or picture
inline constexpr uint32_t kResetSize = 0x7219;      // the picture box takes its picture's size
inline constexpr uint32_t kSetWallpaper = 0x7220;   // text the picture (empty: none)
inline constexpr uint32_t kSetLimits = 0x7221;      // values min max
inline constexpr uint32_t kSetValue = 0x7222;       // values[0]
inline constexpr uint32_t kSetYAxis = 0x7223;       // values min max
inline constexpr uint32_t kSetInterval = 0x7224;    // values[0]
inline constexpr uint32_t kStartSample = 0x7225;    // flag: start
inline constexpr uint32_t kClearCurve = 0x7226;     // numbers[0] the curve 0-3, -1 all
inline constexpr uint32_t kSetGrid = 0x7227;        // flag: the second display flag
inline constexpr uint32_t kAddPoint = 0x7228;       // flag: append values[0] to curve numbers[0]
inline constexpr uint32_t kFillCurve = 0x7229;      // numbers[0] the curve 0-3; list
inline constexpr uint32_t kShiftX = 0x7230;         // numbers[0]
inline constexpr uint32_t kCreateObject = 0x7231;   // text kind, name; numbers x y w h
inline constexpr uint32_t kResizeObject = 0x7232;   // name; numbers w h
inline constexpr uint32_t kMoveObject = 0x7233;     // name; numbers x y
inline constexpr uint32_t kSetBorder = 0x7234;      // flag: on
inline constexpr uint32_t kShowName = 0x7235;       // flag: on
inline constexpr uint32_t kRenameObject = 0x7236;   // name; text the new name
inline constexpr uint32_t kDeleteObject = 0x7237;   // name
inline constexpr uint32_t kSetColour = 0x7238;      // numbers r g b; text "Object" or not
inline constexpr uint32_t kClearPage = 0x7239;      // name the page
inline constexpr uint32_t kActivatePage = 0x7240;   // name the page
inline constexpr uint32_t kDeletePage = 0x7241;     // name the page
inline constexpr uint32_t kNewPage = 0x7242;        // -
inline constexpr uint32_t kRenamePage =
    0x7243;  // name the page (empty: the current one); text the new name
inline constexpr uint32_t kCloseProject = 0x7244;   // flag: save it first
inline constexpr uint32_t kSaveProjectAs = 0x7245;  // name the path
inline constexpr uint32_t kOpenProject = 0x7246;  // name the path; flag: save a modified one first
inline constexpr uint32_t kNewProjectRequest = 0x7247;
inline constexpr uint32_t kTopBottom = 0x7249;  // flag: to the start
inline constexpr uint32_t kClearText = 0x7250;
inline constexpr uint32_t kSetFontFace = 0x7251;       // text
inline constexpr uint32_t kSetFontSize = 0x7252;       // numbers[0] points
inline constexpr uint32_t kSetFontStyle = 0x7253;      // numbers[0] the style bits
inline constexpr uint32_t kSetTextColour = 0x7254;     // numbers r g b
inline constexpr uint32_t kInsertProcedures = 0x7259;  // text
// kPrintPages (0x7260) of the channel: numbers[0] the primitive's token.

struct ProjectRequest {
    std::string calledName;  // the primitive's, for its errors
    std::string name;
    std::string text;
    int32_t numbers[4] = {};
    double values[2] = {};
    std::vector<double> list;
    uintptr_t task = 0;  // the asking task, as an id only
    bool flag = false;
};

// The numbers the main thread serves with ServeProjectRequest.
std::span<const uint32_t> ProjectRequestNumbers();

// On the main thread: does what the request asks and returns its value
// (mostly none), or raises a Logo error. No open project: -61; no object
// of the name: -70.
CHandleData* ServeProjectRequest(uint32_t number, ProjectRequest& request);

// The requests on page objects and on the procedures page as a target, on
// the main thread (ObjectRequests.cpp).
bool IsObjectRequest(uint32_t number);
CHandleData* ServeObjectRequest(uint32_t number, ProjectRequest& request);

// Text for the text box of that name, or for the procedures page
// ("Procedures"), at its caret; -70 when no object has the name.
void InsertIntoTarget(const std::string& target, const std::string& text);

// On a Logo thread: posts the request and waits for the reply, raising an
// error reply. Without a main thread to serve it, or on the main thread
// itself, the request is served at once.
CHandleData* CallProject(uint32_t number, ProjectRequest& request);
// The same for a request whose block is of another type; the main thread
// must be there to serve it.
CHandleData* CallProjectBlock(uint32_t number, void* block);
