#include "project/ProceduresEditor.h"

#include <atomic>

#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"

namespace {

std::atomic<ProceduresEditor*> gEditor{nullptr};

}  // namespace

void SetProceduresEditor(ProceduresEditor* editor) {
    gEditor.store(editor);
}

ProceduresEditor* CurrentProceduresEditor() {
    return gEditor.load();
}

std::string WithLineEnds(std::string_view text, std::string_view end) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        if (text[i] == '\n')
            out += end;
        else
            out += text[i];
    }
    return out;
}

void DefineProceduresPage(const std::string& text) {
    if (!text.empty()) {
        DefineProcedures(text, false);
        return;
    }
    StopAll();
    RemoveProcedures();
}
