#include "gui/MessageDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include "platform/MessageBox.h"

namespace gui {

namespace {

void Show(QWidget* parent, platform::MessageKind kind, const QString& text) {
    const QString title = QApplication::applicationDisplayName();
    switch (kind) {
        case platform::MessageKind::Error:
            QMessageBox::critical(parent, title, text);
            break;
        case platform::MessageKind::Warning:
            QMessageBox::warning(parent, title, text);
            break;
        case platform::MessageKind::Information:
            QMessageBox::information(parent, title, text);
            break;
    }
}

}  // namespace

void InstallMessageDialogs(QWidget* parent) {
    if (parent == nullptr) {
        RemoveMessageDialogs();
        return;
    }
    QPointer<QWidget> window(parent);
    platform::SetMessageSink([window](platform::MessageKind kind, std::string_view text) {
        const QString message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (window.isNull()) {
            // The window has gone (closing down): the message still reaches the user.
            fputs(platform::MessageLine(kind, text).c_str(), stderr);
            return;
        }
        // A message box needs the GUI thread; a Logo thread's message waits for it.
        if (QThread::currentThread() == window->thread()) {
            Show(window, kind, message);
        } else {
            QMetaObject::invokeMethod(
                window, [window, kind, message] { Show(window, kind, message); },
                Qt::BlockingQueuedConnection);
        }
    });
}

void RemoveMessageDialogs() {
    platform::SetMessageSink({});
}

}  // namespace gui
