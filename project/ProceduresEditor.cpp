#include "project/ProceduresEditor.h"

#include <atomic>

namespace {

std::atomic<ProceduresEditor*> gEditor{nullptr};

}  // namespace

void SetProceduresEditor(ProceduresEditor* editor) {
    gEditor.store(editor);
}

ProceduresEditor* CurrentProceduresEditor() {
    return gEditor.load();
}
