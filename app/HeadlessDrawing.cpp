#include "app/HeadlessDrawing.h"

#include <QGuiApplication>
#include <cstdio>

#include "platform/NumberText.h"

namespace {

// Given as an argument, not through the environment, so that programs
// started from the terminal (the user's editor) still find the display.
int argc = 3;
char name[] = "kinetra", option[] = "-platform", platform[] = "offscreen";
char* argv[] = {name, option, platform, nullptr};

// Qt's notes about a desktop session the terminal does not need (no
// runtime directory, say) would mix with the program's own output.
void KeepSeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

HeadlessDrawing::HeadlessDrawing() {
    qInstallMessageHandler(KeepSeriousMessages);
    application_ = std::make_unique<QGuiApplication>(argc, argv);
    platform::UseCNumbersInTheCLibrary();
}

HeadlessDrawing::~HeadlessDrawing() = default;
