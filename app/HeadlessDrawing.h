// The terminal draws too (labels in picture boxes, exported pages), and text
// needs Qt's font database: a GUI application on the offscreen platform,
// which never opens a window. Made on the main thread before the session
// starts; it must outlive every drawing.
#pragma once

#include <memory>

class QGuiApplication;

class HeadlessDrawing {
  public:
    HeadlessDrawing();
    ~HeadlessDrawing();
    HeadlessDrawing(const HeadlessDrawing&) = delete;
    HeadlessDrawing& operator=(const HeadlessDrawing&) = delete;

  private:
    std::unique_ptr<QGuiApplication> application_;
};
