// kinetra: the command centre in a window or in a terminal.
//
//     kinetra [--window | --terminal] [--port NAME] [--config DIR]
//             [--procedures FILE] [PROJECT]
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "LogoCore/MainThreadCall.h"
#include "LogoCore/NumberFormat.h"
#include "app/HeadlessDrawing.h"
#include "app/Session.h"
#include "app/ShutdownSignals.h"
#include "app/Startup.h"
#include "app/TerminalFrontEnd.h"
#include "app/WindowFrontEnd.h"
#include "box/BoxLink.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/TextCatalog.h"

namespace {

constexpr int kTextAlreadyRunning = 2112;
constexpr int kTextConfigNotADirectory = 2113;
constexpr int kTextEmptyPortName = 2114;
constexpr int kTextNoDisplay = 2115;
constexpr int kExitUsage = 64;

enum class FrontEnd { kChosen, kWindow, kTerminal };

struct Options {
    FrontEnd frontEnd = FrontEnd::kChosen;
    // Hidden: the window's picture is saved here when piped input ends.
    std::optional<std::string> screenshot;
    std::optional<std::string> port;
    std::optional<std::string> config;
    std::optional<std::string> procedures;
    std::optional<std::string> project;
};

const char kUsage[] =
    "Usage: kinetra [--window | --terminal] [--port NAME] [--config DIR]\n"
    "               [--procedures FILE] [PROJECT]\n"
    "\n"
    "Kinetra opens its window on a desktop (DISPLAY or WAYLAND_DISPLAY set)\n"
    "when started from a terminal; otherwise its command centre runs in the\n"
    "terminal: type Logo, or pipe it in.\n"
    "\n"
    "  --window           open the window; piped lines are typed into its\n"
    "                     command centre, whose output is also written to\n"
    "                     standard output, and it closes when they end\n"
    "  --terminal         the command centre in the terminal\n"
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
    static const option kLong[] = {{"window", no_argument, nullptr, 'w'},
                                   {"terminal", no_argument, nullptr, 't'},
                                   {"screenshot", required_argument, nullptr, 's'},
                                   {"port", required_argument, nullptr, 'p'},
                                   {"config", required_argument, nullptr, 'c'},
                                   {"procedures", required_argument, nullptr, 'r'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'v'},
                                   {nullptr, 0, nullptr, 0}};
    Options options;
    for (int c; (c = getopt_long(argc, argv, "h", kLong, nullptr)) != -1;) {
        switch (c) {
            case 'w':
                options.frontEnd = FrontEnd::kWindow;
                break;
            case 't':
                options.frontEnd = FrontEnd::kTerminal;
                break;
            case 's':
                options.screenshot = optarg;
                break;
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

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// A desktop's display, or a platform the user chose for Qt (offscreen, say).
bool DisplayAvailable() {
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

// The window on a desktop for a user at a terminal; a script or a remote
// shell gets the terminal.
bool WantsWindow(FrontEnd choice) {
    if (choice != FrontEnd::kChosen) return choice == FrontEnd::kWindow;
    return (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")) && ::isatty(STDIN_FILENO);
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

}  // namespace

int main(int argc, char** argv) {
    // Before any thread starts, so that every thread inherits the mask.
    BlockShutdownSignals();
    const Options options = ParseOptions(argc, argv);
    // Made first, so that every message of the start-up is a dialog.
    std::unique_ptr<WindowFrontEnd> window;
    const bool wantsWindow = WantsWindow(options.frontEnd);
    // Without a display Qt would abort; the user is told what to do instead.
    if (wantsWindow && !DisplayAvailable()) {
        LoadResources();
        Refuse(platform::ResourceText(kTextNoDisplay));
    }
    if (wantsWindow) window = std::make_unique<WindowFrontEnd>(argc, argv);
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

    std::optional<HeadlessDrawing> drawing;
    if (!window) drawing.emplace();
    Session session({options.port, options.procedures, options.project});
    if (window)
        return window->Run(session, !::isatty(STDIN_FILENO), options.screenshot.value_or(""));
    return RunTerminal(session.Centre(), session.Page(),
                       ::isatty(STDIN_FILENO) && ::isatty(STDOUT_FILENO));
}
