// The page editor's glass: a transparent widget laid over a page view in
// edit mode. It draws the selected objects' trackers and the rubber band,
// turns the mouse and the keys into page editor calls, and offers the Edit
// menu's commands as slots. The view that hosts it says how its own
// coordinates map to the page's.
#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>

#include "project/Geometry.h"

class QPainter;

namespace gui {

class PageEditor;

class PageEditOverlay final : public QWidget {
    Q_OBJECT

  public:
    using Mapping = std::function<QPoint(QPoint)>;

    PageEditOverlay(PageEditor& editor, QWidget* parent = nullptr);

    // Widget to page coordinates and back; both are the identity at first.
    void SetMapping(Mapping toPage, Mapping toWidget);
    // Where the armed tool's type comes from (0: none armed).
    void SetArmedTool(std::function<int()> armed) { armed_ = std::move(armed); }
    PageEditor& Editor() const { return editor_; }

    // Trackers and band, painted with the painter in page coordinates
    // (the overlay's own paint maps them to the widget).
    static void PaintSelection(QPainter& painter, const PageEditor& editor);

  public slots:
    void undo();
    void cut();
    void copy();
    void paste();
    void del();
    void selectAll();
    void bringToFront();
    void sendToBack();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    PagePoint ToPage(QPoint at) const;

    PageEditor& editor_;
    Mapping toPage_;
    Mapping toWidget_;
    std::function<int()> armed_;
};

}  // namespace gui
