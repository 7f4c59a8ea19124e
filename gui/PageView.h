// The open project's current page on screen, drawn by the page renderer
// and live: buttons press, sliders drag, text boxes take typing, graphs
// show the values under the cursor and draw their new samples as they
// come. Everything it does to the objects goes through the model's
// operations (project/ObjectActions.h), as Logo's requests do.
//
// In edit mode the view leaves the mouse to an overlay widget put on top
// of it (the page editor's), and offers it the mapping between the
// widget and the page and the object under a point.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "project/Geometry.h"

class QPlainTextEdit;
class QTimer;
class CKinetraDoc;
class CPage;
class CPageObject;

namespace gui {

class PageView final : public QWidget {
    Q_OBJECT

  public:
    // While a graph samples, its new samples are drawn this often: the
    // sampling thread tells no one, and takes them at most this often.
    static constexpr int kSampleDrawMs = 250;

    explicit PageView(QWidget* parent = nullptr);
    ~PageView() override;

    // Shows the open project's current page as the model holds it now: the
    // front end calls it after each batch of channel messages.
    void Refresh();

    // The page's colour reaches at least this far (the window's visible
    // part), beyond the page's own size.
    void SetMinimumArea(QSize area);

    bool EditMode() const { return editMode_; }
    // Editing: the overlay takes the mouse, objects no longer respond.
    void SetEditMode(bool edit);
    // A transparent widget kept over the whole view; the view owns it.
    void SetOverlay(QWidget* overlay);
    QWidget* Overlay() const { return overlay_; }
    // Outside edit mode, whether a press at that point (with those keys)
    // is editing: then it, and the drag that follows, go to the overlay.
    using EditRouting = std::function<bool(QPoint, Qt::KeyboardModifiers)>;
    void SetEditRouting(EditRouting routing) { routing_ = std::move(routing); }

    // The view draws the page at its own size, from its top left.
    static PagePoint ToPage(QPoint point) { return {point.x(), point.y()}; }
    static QPoint FromPage(PagePoint point) { return {point.x, point.y}; }
    // The object under the point on the page shown; the caller holds the
    // document's lock while it uses it. Null when none.
    CPageObject* ObjectAt(QPoint point) const;
    // The document shown; null when no project is open.
    std::shared_ptr<CKinetraDoc> Document() const;

    // How often the whole page was drawn, and how often only the new
    // samples of a graph: sampling must not redraw the page.
    int FullPaints() const { return fullPaints_; }
    int PartPaints() const { return partPaints_; }
    // The picture on screen, as last drawn.
    const QImage& Picture() const { return picture_; }

  signals:
    // The user changed the model here (a press, a drag, typing): the front
    // end shows the change everywhere.
    void modelChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What a graph looked like when drawn: new samples beyond these counts
    // are drawn alone while the ranges stay.
    struct GraphMark {
        int32_t serial = 0;
        std::array<std::size_t, 4> counts{};
        std::array<double, 4> ranges{};
    };

    void Render(const CKinetraDoc& doc, const CPage& page);
    // Refresh, drawing the page even if nothing it is drawn from changed.
    void Redraw();
    void DrawNewSamples();
    // Over the text box, the caret at the point clicked (view coordinates).
    void OpenEditor(const CPageObject& object, QPoint at);
    void CloseEditor();
    void EditorChanged();
    void SyncEditor(const CPageObject& object);
    // The object of that serial number on the page shown, under the lock.
    CPageObject* Shown(const CKinetraDoc& doc, int32_t serial) const;
    void DragSlider(QPoint at);
    // Runs a model operation that may start Logo; its error is shown.
    template <typename Operation>
    void Act(Operation operation);

    QImage picture_;
    std::string look_;  // what picture_ was drawn from
    QSize minimumArea_;
    const CPage* page_ = nullptr;  // for telling a page switch only
    std::weak_ptr<CKinetraDoc> doc_;
    std::vector<GraphMark> marks_;
    QTimer* sampleTimer_ = nullptr;
    int fullPaints_ = 0;
    int partPaints_ = 0;
    bool editMode_ = false;
    QWidget* overlay_ = nullptr;
    EditRouting routing_;
    bool routed_ = false;  // the overlay has the mouse until the release
    int32_t pressed_ = 0;  // the button held down by the mouse
    int32_t dragged_ = 0;  // the slider being dragged
    int32_t readOut_ = 0;  // the graph under the cursor
    int readOutX_ = 0;     // the cursor in that graph's coordinates
    QPlainTextEdit* editor_ = nullptr;
    int32_t editing_ = 0;  // the text box the editor is over
    bool syncing_ = false;
};

}  // namespace gui
