// The procedures page's editor as the document sees it. The front end owns
// the editor; the document takes its text when saving and gives it the
// text of each project that is opened, started or closed.
#pragma once

#include <string>
#include <string_view>

class ProceduresEditor {
  public:
    virtual ~ProceduresEditor() = default;
    // The page's text, line ends CR LF.
    virtual std::string Text() = 0;
    // The text of the project now open (line ends CR LF; empty when none):
    // the page shows it and its procedures are defined.
    virtual void Load(const std::string& text) = 0;
    // A locked project's page cannot be edited.
    virtual void SetReadOnly(bool) {}
};

// Installed by the front end at start-up; null: no editor (the document
// then keeps the text it read).
void SetProceduresEditor(ProceduresEditor* editor);
ProceduresEditor* CurrentProceduresEditor();

// What every editor of the page shares. The text with each line end (CR
// LF or LF) made `end`.
std::string WithLineEnds(std::string_view text, std::string_view end);
// Defines the page's text: its procedures, or, for an empty page, none (the
// procedures of the project before simply go). Errors are printed by the
// interpreter, each with its line.
void DefineProceduresPage(const std::string& text);
