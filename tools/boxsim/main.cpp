// kinetra-boxsim: the simulated box on a pseudo-terminal of its own. It
// prints the device to open as its first line, then takes commands that
// move its sensors and show what the host told it.
#include <getopt.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "box/VirtualBox.h"

namespace {

constexpr char kProgram[] = "kinetra-boxsim";

constexpr char kHelp[] =
    "Commands:\n"
    "  press N         close the touch sensor on input N (1-8)\n"
    "  release N       open it again\n"
    "  set N VALUE     raw reading of input N, 0-1023 (1023: dark, open)\n"
    "  turn N STEPS    turn the angle sensor on input N (5-8); negative: down\n"
    "  silent          pull the cable: send nothing, obey nothing\n"
    "  speak           plug it back in\n"
    "  status          the outputs and the inputs\n"
    "  log             the bytes received since the last log, in hex\n"
    "  help            this text\n"
    "  quit            end (so does the end of input)\n";

void Usage(std::FILE* to) {
    std::fprintf(to,
                 "Usage: %s [--no-couple]\n"
                 "Runs a simulated box on a pseudo-terminal and prints its path.\n"
                 "  --no-couple   output A's motor does not turn input 5, output B's\n"
                 "                lamp does not light input 6\n"
                 "  -h, --help    this text\n",
                 kProgram);
}

bool ParseInt(const std::string& text, int* value) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, *value);
    return error == std::errc() && at == end;
}

void Complain(const std::string& text) {
    std::cerr << kProgram << ": " << text << '\n' << std::flush;
}

// The input number of a command's first argument, within first..8.
bool InputArgument(const std::vector<std::string>& words, int first, int* input) {
    if (words.size() < 2) {
        Complain(words[0] + " needs an input number " + std::to_string(first) + "-8");
        return false;
    }
    if (!ParseInt(words[1], input) || *input < first || *input > 8) {
        Complain(words[0] + ": '" + words[1] + "' is not an input number " + std::to_string(first) +
                 "-8");
        return false;
    }
    return true;
}

bool CountIs(const std::vector<std::string>& words, size_t count, const char* usage) {
    if (words.size() == count) return true;
    Complain(std::string("usage: ") + usage);
    return false;
}

void PrintStatus(const VirtualBox& box) {
    const VirtualBox::Status status = box.CurrentStatus();
    std::cout << "link: " << (status.loggedOn ? "logged on" : "waiting for a logon")
              << (status.silent ? ", silent (cable pulled)" : "") << ", " << status.framesSent
              << " frames sent\n";
    for (int i = 0; i < 8; ++i) {
        const auto& out = status.outputs[i];
        std::cout << "output " << static_cast<char>('A' + i) << ": " << (out.on ? "on" : "off")
                  << ", power " << out.power << ", direction " << out.direction;
        if (out.pulse) std::cout << ", pulse " << out.pulseA << '/' << out.pulseB;
        std::cout << '\n';
    }
    for (int i = 0; i < 8; ++i) {
        const auto& in = status.inputs[i];
        std::cout << "input " << i + 1 << ": reading " << in.raw << ", "
                  << (in.pressed ? "pressed" : "open");
        if (i >= 4) std::cout << ", rotation " << in.rotation;
        if (in.setting != 0) std::cout << ", setting " << in.setting;
        std::cout << '\n';
    }
}

void PrintBytes(const std::vector<uint8_t>& bytes, size_t from) {
    if (from >= bytes.size()) {
        std::cout << "(nothing received)\n";
        return;
    }
    char hex[4];
    for (size_t i = from; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        const bool lineEnd = (i - from) % 16 == 15 || i + 1 == bytes.size();
        std::cout << hex << (lineEnd ? '\n' : ' ');
    }
}

// Runs one command line; false when it asks to quit.
bool Execute(VirtualBox& box, const std::string& line, size_t* logged) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty()) return true;
    const std::string& command = words[0];
    int input = 0;
    int value = 0;
    if (command == "quit" || command == "exit") return false;
    if (command == "help") {
        std::cout << kHelp;
    } else if (command == "press" || command == "release") {
        if (!InputArgument(words, 1, &input) || !CountIs(words, 2, "press N / release N"))
            return true;
        if (command == "press")
            box.Press(input);
        else
            box.Release(input);
    } else if (command == "set") {
        if (!InputArgument(words, 1, &input) || !CountIs(words, 3, "set N VALUE")) return true;
        if (!ParseInt(words[2], &value) || value < 0 || value > 1023) {
            Complain("set: '" + words[2] + "' is not a reading 0-1023");
            return true;
        }
        box.SetReading(input, value);
    } else if (command == "turn") {
        if (!InputArgument(words, 5, &input) || !CountIs(words, 3, "turn N STEPS")) return true;
        if (!ParseInt(words[2], &value)) {
            Complain("turn: '" + words[2] + "' is not a number of steps");
            return true;
        }
        box.Turn(input, value);
    } else if (command == "silent" || command == "speak") {
        if (!CountIs(words, 1, "silent / speak")) return true;
        box.SetSilent(command == "silent");
    } else if (command == "status") {
        PrintStatus(box);
    } else if (command == "log") {
        const std::vector<uint8_t> bytes = box.ReceivedBytes();
        PrintBytes(bytes, *logged);
        *logged = bytes.size();
    } else {
        Complain("unknown command '" + command + "' (help lists them)");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    VirtualBox::Options options;
    static const option kOptions[] = {{"no-couple", no_argument, nullptr, 'n'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {nullptr, 0, nullptr, 0}};
    for (int c; (c = getopt_long(argc, argv, "h", kOptions, nullptr)) != -1;) {
        switch (c) {
            case 'n':
                options.couple = false;
                break;
            case 'h':
                Usage(stdout);
                return 0;
            default:
                Usage(stderr);
                return 2;
        }
    }
    if (optind < argc) {
        Complain(std::string("unexpected argument '") + argv[optind] + "'");
        Usage(stderr);
        return 2;
    }

    std::unique_ptr<VirtualBox> box = VirtualBox::Start(options);
    if (!box) {
        Complain("cannot make a pseudo-terminal");
        return 1;
    }
    std::cout << "Virtual box on " << box->DevicePath() << std::endl;

    const bool interactive = isatty(STDIN_FILENO);
    size_t logged = 0;
    std::string line;
    for (;;) {
        if (interactive) std::cout << "> " << std::flush;
        if (!std::getline(std::cin, line)) break;
        if (!Execute(*box, line, &logged)) break;
        std::cout << std::flush;
    }
    return 0;
}
