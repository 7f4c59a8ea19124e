// The command centre as a widget: it shows the model's text and hands every
// key to it, so that the window and the terminal behave alike. The model
// (type-ahead, the running marker, the size bound) lives with the
// application; this view only knows its text and where keys go.
#pragma once

#include <QPlainTextEdit>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>

namespace gui {

class CommandCentreView final : public QPlainTextEdit {
    Q_OBJECT

  public:
    // Typed characters as the model takes them: "\r" runs the line, "\f"
    // clears, "\b" removes the last character.
    using Keys = std::function<void(std::string_view characters)>;

    explicit CommandCentreView(QWidget* parent = nullptr);

    void SetKeys(Keys keys) { keys_ = std::move(keys); }
    // Shows the model's text (line ends CR LF), following the end.
    void ShowText(const std::string& text);
    // While a command runs, keys are type-ahead and the history stays put.
    void SetRunning(bool running) { running_ = running; }

  signals:
    // Ctrl+C without a selection, or Esc.
    void stopRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void Type(const QString& characters);
    void RecallHistory(int step);
    void MoveCaretToEnd();

    Keys keys_;
    std::string shown_;
    bool running_ = false;
    QStringList history_;
    int historyAt_ = 0;
};

}  // namespace gui
