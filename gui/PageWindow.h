// What the page window holds: a tab for each page of the open project
// (choosing one makes it the current page) over the page view, which
// scrolls when the page is larger than the window.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QScrollArea;
class QTabBar;

namespace gui {

class PageView;

class PageWindow final : public QWidget {
    Q_OBJECT

  public:
    explicit PageWindow(QWidget* parent = nullptr);

    PageView* View() const { return view_; }
    QTabBar* Tabs() const { return tabs_; }
    // The tabs and the view as the model holds them now.
    void Refresh();
    // Makes the page at that index of the project's list current.
    void ChoosePage(int index);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  signals:
    // The user chose another page, or changed an object: the model changed.
    void modelChanged();

  private:
    QTabBar* tabs_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
    std::vector<std::string> names_;
};

}  // namespace gui
