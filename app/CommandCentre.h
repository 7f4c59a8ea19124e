// The command centre's view, independent of any front end: the text the
// user types into and Logo prints into, the running state with its marker,
// the type-ahead, and the bound on the text's size. Front ends feed it keys
// and show what it prints.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

class CommandCentre {
  public:
    // Runs a command line; returns the text of an error of compiling or
    // launching that was not shown yet, or an empty text.
    using Runner = std::function<std::string(std::string_view command)>;
    // Receives every text printed into the view, as it is inserted.
    using Output = std::function<void(std::string_view text)>;

    static constexpr std::size_t kMaxText = 32768;
    static constexpr std::size_t kCutAt = 4096;
    // A blank and a bullet: shown after the command line while it runs.
    static constexpr std::string_view kMarker = " \xE2\x80\xA2";

    CommandCentre(Runner run, Output output);

    // Typed characters: a carriage return or line feed runs the current
    // line, form feed clears, and while a command runs everything goes to
    // the type-ahead (backspace or delete removing its last character).
    void Type(std::string_view characters);
    // Text printed by Logo, inserted at the caret.
    void Print(std::string_view text);
    void Clear();
    // The command that was typed here has ended (notice of an ended task).
    void CommandEnded();

    bool Running() const;
    bool TypeAheadPending() const;
    std::string Text() const;

    // A terminal shows typed lines apart from output: with this on, a key
    // typed after output that did not end its line (type) starts a new
    // line first, so the line that runs holds only what was typed. Shown:
    // the new line is printed too, as where the typed line is seen; lines
    // piped in are not, and the output stays what Logo printed.
    void StartTypedLinesOnNewLine(bool on, bool shown = true);

  private:
    void RunCurrentLine();
    void LeaveRunning();
    void Insert(std::string_view text);
    void Bound();

    Runner run_;
    Output output_;
    mutable std::recursive_mutex lock_;  // Print may come while a key is handled
    std::string text_;
    bool running_ = false;
    std::size_t markerAt_ = std::string::npos;
    std::string typeAhead_;
    bool freshLines_ = false;
    bool freshLinesShown_ = true;
    bool outputOpen_ = false;  // the last output left its line open
};
