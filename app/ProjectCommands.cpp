#include "app/ProjectCommands.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <memory>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "gui/MainWindow.h"
#include "gui/ProceduresView.h"
#include "gui/RecentProjects.h"
#include "platform/MessageBox.h"
#include "project/KinetraDoc.h"
#include "project/PictureLibrary.h"
#include "project/ProceduresEditor.h"

namespace {

const char kProjectFilter[] = "Kinetra projects (*.KXP *.kxp)";

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// A Logo error of the project's files, for the user.
void ShowError(const LogoError& error) {
    const std::string text = WithoutLineEnd(ErrorText(error.handle));
    Release(error.handle);
    platform::ShowMessage(platform::MessageKind::Error, text);
}

}  // namespace

bool MayDiscardProject(gui::MainWindow& window) {
    const auto doc = CKinetraDoc::Current();
    if (!doc || !doc->Modified()) return true;
    const auto answer =
        QMessageBox::question(&window, QApplication::applicationDisplayName(),
                              QObject::tr("The project has changed. Save it first?"),
                              QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) return false;
    if (answer == QMessageBox::Save) {
        SaveProject(window, false);
        return !doc->Modified();
    }
    return true;
}

void OpenProject(gui::MainWindow& window, QString path) {
    if (path.isEmpty())
        path = QFileDialog::getOpenFileName(&window, QObject::tr("Open project"), QString(),
                                            QObject::QObject::tr(kProjectFilter));
    if (path.isEmpty()) return;
    try {
        CKinetraDoc::OpenFile(Utf8(path));
        gui::AddRecentProject(QFileInfo(path).absoluteFilePath());
        window.SetRecentProjects(gui::RecentProjects());
    } catch (const LogoError& error) {
        ShowError(error);
    }
}

void SaveProject(gui::MainWindow& window, bool askForName) {
    const auto doc = CKinetraDoc::Current();
    if (!doc) return;
    QString path = QString::fromStdString(doc->Path());
    if (askForName || path.isEmpty()) {
        QFileDialog dialog(&window, QObject::tr("Save project"), path,
                           QObject::QObject::tr(kProjectFilter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("KXP"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        path = dialog.selectedFiles().first();
    }
    window.StoreFrames(*doc);
    try {
        doc->SaveAs(Utf8(path));
        gui::AddRecentProject(QFileInfo(path).absoluteFilePath());
        window.SetRecentProjects(gui::RecentProjects());
    } catch (const LogoError& error) {
        ShowError(error);
    }
}

// The file's procedures join the page's and the whole page is defined, as
// when the user leaves the page.
void ImportProcedures(gui::MainWindow& window) {
    const QString path = QFileDialog::getOpenFileName(&window, QObject::tr("Import procedures"));
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return;
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QLatin1Char('\r'));
    window.Procedures()->Append(Utf8(text));
    window.Procedures()->DefineNow();
}

void ImportPictures(gui::MainWindow& window) {
    const auto doc = CKinetraDoc::Current();
    if (!doc) return;
    const QStringList paths = QFileDialog::getOpenFileNames(
        &window, QObject::tr("Import pictures"), QString(), QObject::tr("Pictures (*.bmp *.BMP)"));
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QByteArray bytes = file.readAll();
        auto picture =
            CPictureListItem::FromBmpFile(Utf8(QFileInfo(path).completeBaseName()),
                                          std::vector<uint8_t>(bytes.begin(), bytes.end()));
        if (!picture) {
            platform::ShowMessage(
                platform::MessageKind::Error,
                Utf8(QObject::tr("%1 is not a picture Kinetra can read.").arg(path)));
            continue;
        }
        auto hold = doc->Lock();
        doc->Pictures().AddOrReplace(std::make_shared<const CPictureListItem>(*picture));
        doc->SetModified(true);
    }
}

// Locking asks for the password that will unlock; unlocking asks for it.
void LockOrUnlock(gui::MainWindow& window) {
    const auto doc = CKinetraDoc::Current();
    if (!doc) return;
    bool locked = false;
    std::string password;
    {
        auto hold = doc->Lock();
        locked = doc->Settings().locked != 0;
        password = doc->Settings().password;
    }
    bool ok = false;
    const QString typed = QInputDialog::getText(
        &window, locked ? QObject::tr("Unlock project") : QObject::tr("Lock project"),
        locked ? QObject::tr("Password:") : QObject::tr("Password to unlock it again:"),
        QLineEdit::Password, QString(), &ok);
    if (!ok || (!locked && typed.isEmpty())) return;
    if (locked && Utf8(typed) != password) {
        QMessageBox::warning(&window, QObject::tr("Unlock project"),
                             QObject::tr("That is not the project's password."));
        return;
    }
    {
        auto hold = doc->Lock();
        doc->Settings().locked = locked ? 0 : 1;
        doc->Settings().password = locked ? std::string() : Utf8(typed);
        doc->SetModified(true);
    }
    if (ProceduresEditor* editor = CurrentProceduresEditor()) editor->SetReadOnly(!locked);
}
