// kinetra: starts the interpreter with every primitive family and reports
// what is ready. The command centre comes with the terminal front end.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/NameTable.h"
#include "box/BoxPrimitives.h"
#include "platform/DataFiles.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "project/ProjectPrimitives.h"

namespace {

// The resource library is the first thing loaded; without it no message
// could be worded, so this one is built here.
void LoadResources() {
    std::string error;
    auto path = platform::FindDataFile(platform::kResourceFileName);
    if (path && platform::ResourceLibrary().Load(*path, &error)) return;
    if (!path) error = std::string(platform::kResourceFileName) + ": " + std::strerror(ENOENT);
    platform::ShowMessage(platform::MessageKind::Error,
                          "Kinetra (" + std::to_string(__LINE__) + "): " + error);
    platform::ExitProcess(99);
}

}  // namespace

int main() {
    LoadResources();
    LogoCoreSetup setup;
    setup.families = {CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()};
    if (!InitLogoCore(setup)) {
        platform::ShowMessage(platform::MessageKind::Error,
                              "Kinetra: the interpreter did not start.");
        return 1;
    }
    std::printf("Kinetra %s: the interpreter is ready with %zu names.\n", KINETRA_VERSION,
                NameTable().Size());
    ExitLogoCore(setup);
    return 0;
}
