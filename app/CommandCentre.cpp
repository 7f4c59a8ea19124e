#include "app/CommandCentre.h"

#include <algorithm>

using Guard = std::lock_guard<std::recursive_mutex>;

namespace {

constexpr std::string_view kLineBreak = "\r\n";

bool EndsLine(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

CommandCentre::CommandCentre(Runner run, Output output)
    : run_(std::move(run)), output_(std::move(output)) {}

void CommandCentre::Type(std::string_view characters) {
    Guard guard(lock_);
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const char c = characters[i];
        // A CR LF pair is one key.
        if (c == '\n' && i > 0 && characters[i - 1] == '\r') continue;
        if (running_) {
            if (c == '\b' || c == 0x7f) {
                if (!typeAhead_.empty()) typeAhead_.pop_back();
            } else {
                typeAhead_ += EndsLine(c) ? '\r' : c;
            }
            continue;
        }
        if (freshLines_ && outputOpen_ && c != '\f' && c != '\b' && c != 0x7f) {
            if (freshLinesShown_) {
                Insert(kLineBreak);
            } else {
                text_ += kLineBreak;
                outputOpen_ = false;
            }
        }
        if (c == '\f') {
            Clear();
        } else if (EndsLine(c)) {
            RunCurrentLine();
        } else if (c == '\b' || c == 0x7f) {
            if (!text_.empty() && !EndsLine(text_.back())) text_.pop_back();
        } else {
            text_ += c;
        }
    }
    Bound();
}

void CommandCentre::RunCurrentLine() {
    const std::size_t start = text_.rfind(kLineBreak);
    const std::size_t from = start == std::string::npos ? 0 : start + kLineBreak.size();
    const std::string command = text_.substr(from);
    running_ = true;
    markerAt_ = text_.size();
    text_ += kMarker;
    text_ += kLineBreak;
    const std::string error = run_(command);
    if (!error.empty() && running_) {
        LeaveRunning();
        // On a line of its own, as the errors a task prints are.
        Insert(EndsLine(error.back()) ? error : error + std::string(kLineBreak));
    }
}

void CommandCentre::LeaveRunning() {
    running_ = false;
    if (markerAt_ != std::string::npos && text_.compare(markerAt_, kMarker.size(), kMarker) == 0)
        text_.erase(markerAt_, kMarker.size());
    markerAt_ = std::string::npos;
}

void CommandCentre::CommandEnded() {
    Guard guard(lock_);
    if (!running_) return;
    LeaveRunning();
    // The type-ahead up to its first line end is typed now; the rest waits
    // for the end of the command that line starts.
    const std::size_t end = typeAhead_.find('\r');
    const std::string now = typeAhead_.substr(0, end == std::string::npos ? end : end + 1);
    typeAhead_.erase(0, now.size());
    Type(now);
}

void CommandCentre::Print(std::string_view text) {
    Guard guard(lock_);
    Insert(text);
    Bound();
}

void CommandCentre::Insert(std::string_view text) {
    text_ += text;
    if (!text.empty()) outputOpen_ = text.back() != '\n';
    if (output_) output_(text);
}

void CommandCentre::Clear() {
    Guard guard(lock_);
    text_.clear();
    outputOpen_ = false;
    markerAt_ = std::string::npos;
}

// Whole lines leave from the top until the text fits.
void CommandCentre::Bound() {
    while (text_.size() > kMaxText) {
        std::size_t cut = text_.rfind(kLineBreak, kCutAt);
        cut = cut == std::string::npos ? text_.find(kLineBreak, kCutAt) : cut;
        cut = cut == std::string::npos ? text_.size() - kMaxText : cut + kLineBreak.size();
        text_.erase(0, cut);
        if (markerAt_ != std::string::npos)
            markerAt_ = markerAt_ >= cut ? markerAt_ - cut : std::string::npos;
    }
}

bool CommandCentre::Running() const {
    Guard guard(lock_);
    return running_;
}

bool CommandCentre::TypeAheadPending() const {
    Guard guard(lock_);
    return !typeAhead_.empty();
}

void CommandCentre::StartTypedLinesOnNewLine(bool on, bool shown) {
    Guard guard(lock_);
    freshLines_ = on;
    freshLinesShown_ = shown;
}

std::string CommandCentre::Text() const {
    Guard guard(lock_);
    return text_;
}
