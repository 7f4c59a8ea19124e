#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>

#include "gui/MessageDialogs.h"
#include "platform/MessageBox.h"

namespace {

TEST(MessageDialogsTest, AMessageFromALogoThreadIsADialogItsThreadWaitsFor) {
    QWidget window;
    gui::InstallMessageDialogs(&window);
    QString shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    closer.start(5);
    std::atomic<bool> returned = false;
    std::thread logo([&] {
        platform::ShowMessage(platform::MessageKind::Warning, "Box not found");
        returned = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return returned.load(); }, 5000));
    logo.join();
    EXPECT_EQ(shown, "Box not found");
    gui::RemoveMessageDialogs();
}

}  // namespace
