// kinetra: the command centre in a terminal.
//
//     kinetra [--port NAME] [--config DIR] [--procedures FILE] [PROJECT]
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "LogoCore/BoxSeam.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/NumberFormat.h"
#include "app/CommandCentre.h"
#include "app/ProjectNotices.h"
#include "app/ShutdownSignals.h"
#include "app/Startup.h"
#include "app/TerminalFrontEnd.h"
#include "app/TerminalInput.h"
#include "box/BoxLink.h"
#include "box/BoxPrimitives.h"
#include "box/SampleRing.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/TextCatalog.h"
#include "platform/ThreadQueue.h"
#include "project/KinetraDoc.h"
#include "project/ProceduresEditor.h"
#include "project/ProjectFiles.h"
#include "project/ProjectPrimitives.h"

namespace {

constexpr int kTextProjectNotReadable = 2110;
constexpr int kTextProceduresNotReadable = 2111;
constexpr int kTextAlreadyRunning = 2112;
constexpr int kTextConfigNotADirectory = 2113;
constexpr int kTextEmptyPortName = 2114;
constexpr int kExitUsage = 64;

struct Options {
    std::optional<std::string> port;
    std::optional<std::string> config;
    std::optional<std::string> procedures;
    std::optional<std::string> project;
};

const char kUsage[] =
    "Usage: kinetra [--port NAME] [--config DIR] [--procedures FILE] [PROJECT]\n"
    "\n"
    "Kinetra's command centre in the terminal: type Logo, or pipe it in.\n"
    "\n"
    "  --port NAME        the box's serial port for this run (not stored): a\n"
    "                     device path such as /dev/ttyUSB0, COM1..COM256,\n"
    "                     virtual (a simulated box) or (none) (no box)\n"
    "  --config DIR       where the configuration stores are kept\n"
    "  --procedures FILE  define the procedures in FILE before the first command\n"
    "  -h, --help         show this text\n"
    "  --version          show the version\n"
    "\n"
    "Typing: a line runs when you press Return; lines typed while a command\n"
    "runs wait their turn (the prompt shows a bullet while one runs).\n"
    "  Ctrl+C             stop every running program and switch the box off\n"
    "  Ctrl+L             clear the screen\n"
    "  Ctrl+X Ctrl+P      edit the procedures page in $EDITOR (default vi);\n"
    "                     it is defined when the editor closes\n"
    "  Ctrl+D             at an empty line: leave Kinetra\n"
    "\n"
    "With input piped in, each line runs after the one before has ended, and\n"
    "Kinetra exits when the input ends and the last command has ended;\n"
    "programs still running then (launch, forever) are stopped.\n"
    "\n"
    "Leaving Kinetra, also by SIGTERM, SIGHUP or (piped) SIGINT, switches\n"
    "every output of the box off; a signal's exit status is 128 + its number.\n";

// Parses the command line; exits for --help, --version and bad usage.
Options ParseOptions(int argc, char** argv) {
    static const option kLong[] = {{"port", required_argument, nullptr, 'p'},
                                   {"config", required_argument, nullptr, 'c'},
                                   {"procedures", required_argument, nullptr, 'r'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'v'},
                                   {nullptr, 0, nullptr, 0}};
    Options options;
    for (int c; (c = getopt_long(argc, argv, "h", kLong, nullptr)) != -1;) {
        switch (c) {
            case 'p':
                options.port = optarg;
                break;
            case 'c':
                options.config = optarg;
                break;
            case 'r':
                options.procedures = optarg;
                break;
            case 'h':
                std::fputs(kUsage, stdout);
                std::exit(0);
            case 'v':
                std::printf("kinetra %s\n", KINETRA_VERSION);
                std::exit(0);
            default:
                std::fputs(kUsage, stderr);
                std::exit(kExitUsage);
        }
    }
    if (optind < argc) options.project = argv[optind++];
    if (optind < argc) {
        std::fputs(kUsage, stderr);
        std::exit(kExitUsage);
    }
    return options;
}

[[noreturn]] void Refuse(const std::string& message) {
    platform::ShowMessage(platform::MessageKind::Error, message);
    platform::ExitProcess(kExitUsage);
}

// Options whose values can be judged only once the texts are loaded: a run
// that would silently store nothing, or look for a box on no port, is
// refused.
void CheckOptions(const Options& options) {
    if (options.port && options.port->empty())
        Refuse(platform::FormatResource(kTextEmptyPortName, {NoPortEntry()}));
    if (options.config) {
        std::error_code error, ignored;
        std::filesystem::create_directories(*options.config, error);
        if (!std::filesystem::is_directory(*options.config, ignored))
            Refuse(platform::FormatResource(
                kTextConfigNotADirectory,
                {*options.config, error ? error.message() : std::strerror(ENOTDIR)}));
    }
}

// Without the resource library no message could be worded, so this one
// is built here.
void LoadResources() {
    std::string error;
    auto path = platform::FindDataFile(platform::kResourceFileName);
    if (path && platform::ResourceLibrary().Load(*path, &error)) return;
    if (!path) error = std::string(platform::kResourceFileName) + ": " + std::strerror(ENOENT);
    platform::ShowMessage(platform::MessageKind::Error,
                          "Kinetra (" + std::to_string(__LINE__) + "): " + error);
    platform::ExitProcess(99);
}

// The terminal's procedures page as the project document's editor: the file
// keeps CR LF line ends, the page the editor's LF.
class PageEditor final : public ProceduresEditor {
  public:
    explicit PageEditor(ProceduresPage& page) : page_(page) {}
    std::string Text() override { return WithLineEnds(page_.Text(), "\r\n"); }
    void Load(const std::string& text) override {
        const std::string page = WithLineEnds(text, "\n");
        page_.SetText(page);
        if (!page.empty()) {
            DefineProcedures(page, false);
            return;
        }
        // Nothing to read: the procedures of the project before simply go.
        StopAll();
        RemoveProcedures();
    }

  private:
    static std::string WithLineEnds(const std::string& text, std::string_view end) {
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
    ProceduresPage& page_;
};

// The project named on the command line, or a new one when it cannot be
// opened; the user is told why.
void OpenStartProject(const std::optional<std::string>& name) {
    if (name) {
        try {
            CKinetraDoc::OpenFile(WithDefaultExtension(*name));
            return;
        } catch (const LogoError& error) {
            const std::string reason = WithoutLineEnd(ErrorText(error.handle));
            Release(error.handle);
            platform::ShowMessage(
                platform::MessageKind::Error,
                platform::FormatResource(kTextProjectNotReadable, {*name, reason}));
        }
    }
    CKinetraDoc::NewProject();
}

// The file's text; none, with errno telling why, when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path) {
    // A directory opens as a stream, and reads as nothing.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        errno = EISDIR;
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    // Before any thread starts, so that every thread inherits the mask.
    BlockShutdownSignals();
    const Options options = ParseOptions(argc, argv);
    LoadResources();
    CheckOptions(options);
    if (options.config) platform::SetConfigDirectory(*options.config);
    SingleInstance instance;
    if (!instance.Acquire(platform::ConfigDirectory())) {
        platform::ShowMessage(platform::MessageKind::Error,
                              platform::ResourceText(kTextAlreadyRunning));
        return 2;
    }
    SetMainThread(platform::CurrentThreadId());
    // A choice made in Logo (decimalcomma, decimalpoint) outlives the run.
    platform::SetDecimalSeparator(StoredDecimalSeparator().value_or(LocaleDecimalSeparator()));

    CommandCentre centre(RunForCommandCentre, WriteToTerminal);
    TerminalHost host(centre);
    SetTaskHost(&host);

    LogoCoreSetup setup;
    setup.families = {CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()};
    setup.port = options.port;
    setup.openBox = OpenBoxAndReport;
    setup.closeBox = ControlBox_Close;
    // The core's waiting primitives pace themselves by the box's frames.
    SetFrameWaiter([](int) { ControlBox_WaitFrame(); });
    InitLogoCore(setup);
    const PageMargins margins = ReadPageMargins();

    ProceduresPage page;
    PageEditor editor(page);
    SetProceduresEditor(&editor);
    OpenStartProject(options.project);
    RegisterProjectNotices();
    if (options.procedures) {
        if (auto text = ReadFile(*options.procedures)) {
            page.SetText(*text);
            DefineProcedures(*text, false);
        } else
            platform::ShowMessage(
                platform::MessageKind::Error,
                platform::FormatResource(kTextProceduresNotReadable,
                                         {*options.procedures, std::strerror(errno)}));
    }

    const int status = RunTerminal(centre, page, ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO));

    ExitLogoCore(setup);
    SetProceduresEditor(nullptr);
    CKinetraDoc::CloseProject();
    WritePageMargins(margins);
    SetTaskHost(nullptr);
    return status;
}
