#include "gui/PageWindow.h"

#include <QEvent>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabBar>
#include <QVBoxLayout>

#include "gui/PageView.h"
#include "project/KinetraDoc.h"

namespace gui {

PageWindow::PageWindow(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tabs_ = new QTabBar(this);
    tabs_->setDocumentMode(true);
    tabs_->setExpanding(false);
    tabs_->setDrawBase(true);
    layout->addWidget(tabs_);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new PageView;
    scroll_->setWidget(view_);
    layout->addWidget(scroll_, 1);
    scroll_->viewport()->installEventFilter(this);
    connect(tabs_, &QTabBar::currentChanged, this, &PageWindow::ChoosePage);
    connect(view_, &PageView::modelChanged, this, &PageWindow::modelChanged);
}

void PageWindow::Refresh() {
    std::vector<std::string> names;
    int current = -1;
    if (const auto doc = CKinetraDoc::Current()) {
        auto hold = doc->Lock();
        names = doc->PageNames();
        current = doc->CurrentPageIndex();
    }
    {
        const QSignalBlocker quiet(tabs_);
        if (names != names_) {
            names_ = names;
            while (tabs_->count() > 0) tabs_->removeTab(0);
            for (const std::string& name : names) tabs_->addTab(QString::fromStdString(name));
        }
        tabs_->setCurrentIndex(current);
    }
    // One page needs no tabs.
    tabs_->setVisible(names.size() > 1);
    view_->Refresh();
}

void PageWindow::ChoosePage(int index) {
    const auto doc = CKinetraDoc::Current();
    if (!doc || index < 0) return;
    {
        auto hold = doc->Lock();
        if (static_cast<std::size_t>(index) >= doc->Pages().size()) return;
        doc->ActivatePage(*doc->Pages()[index]);
    }
    emit modelChanged();
}

}  // namespace gui

namespace gui {

// The page's colour fills the window, however small the page.
bool PageWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize)
        view_->SetMinimumArea(scroll_->viewport()->size());
    return QWidget::eventFilter(watched, event);
}

}  // namespace gui
