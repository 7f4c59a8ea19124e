// The interpreter's start-up and shut-down.
#include "LogoCore/LogoCoreStartup.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <fstream>
#include <optional>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/FatalSignals.h"
#include "platform/MessageBox.h"
#include "platform/NumberText.h"
#include "platform/Priority.h"
#include "platform/TextCatalog.h"
#include "platform/Utf8.h"

namespace {

constexpr int32_t kTextNoVocabulary = 2100;
constexpr int32_t kTextUnknownToken = 2101;
constexpr int32_t kTextThreadPriorityFailed = 2103;
constexpr int32_t kTextPriorityClassFailed = 2104;
constexpr int32_t kTextNoPort = 1002;
constexpr std::size_t kMaxLine = 255;
constexpr int kShutdownWaitMilliseconds = 2000;

std::map<std::string, int32_t>& OutputNames() {
    static std::map<std::string, int32_t> map;
    return map;
}

std::vector<std::pair<int32_t, std::string>>& ObjectKinds() {
    static std::vector<std::pair<int32_t, std::string>> kinds;
    return kinds;
}

[[noreturn]] void StopStartup(const std::string& message) {
    platform::ShowMessage(platform::MessageKind::Error, message);
    platform::ExitProcess(1);
}

bool RegisterRow(const std::string& name, const PrimitiveRow& row) {
    return IsCell(RegisterPrimitive(name, row.handler, row.token, row.option, row.defaultInputs,
                                    row.minInputs, row.maxInputs, row.precedence));
}

bool RegisterNamedPrimitives(const std::vector<PrimitiveFamily>& families) {
    for (const PrimitiveFamily& family : families)
        for (const NamedPrimitiveRow& row : family.named) {
            if (row.token == 0) break;
            if (!IsCell(RegisterPrimitive(row.name, row.handler, row.token, row.option,
                                          row.defaultInputs, row.minInputs, row.maxInputs,
                                          row.precedence)))
                return false;
        }
    return true;
}

// Registers every name LogoCore.dat gives; false when a registration failed.
bool RegisterVocabulary(const std::vector<PrimitiveRow>& table, const std::filesystem::path& file) {
    const auto path = file.empty() ? platform::FindDataFile(kVocabularyFileName)
                                   : std::optional<std::filesystem::path>(file);
    std::ifstream in;
    if (path) in.open(*path);
    if (!path || !in) StopStartup(platform::ResourceText(kTextNoVocabulary));
    for (const VocabularyEntry& entry : ReadVocabulary(in)) {
        const PrimitiveRow* row = FindPrimitiveRow(table, entry.token);
        if (!row) {
            in.close();
            StopStartup(platform::FormatResource(kTextUnknownToken,
                                                 {entry.name, std::to_string(entry.token)}));
        }
        if (!RegisterRow(entry.name, *row)) return false;
    }
    return true;
}

// The map is looked up with exact case, so each name is entered with the
// letter in upper and in lower case: "talkto "a" is what a student types.
void FillOutputNameMap() {
    auto& map = OutputNames();
    map.clear();
    for (int32_t i = 0; i < 8; ++i) {
        for (char first : {'A', 'a'}) {
            const std::string letter(1, static_cast<char>(first + i));
            for (int32_t id = 1104; id <= 1107; ++id) {
                std::string name = platform::FormatResource(id, {letter});
                if (!name.empty()) map[name] = i + 9;
            }
        }
    }
}

void FillObjectKindTable() {
    static constexpr std::pair<int32_t, int32_t> kKinds[] = {{1, 3100}, {4, 3101}, {6, 3105},
                                                             {3, 3102}, {2, 3103}, {7, 3104}};
    auto& kinds = ObjectKinds();
    kinds.clear();
    for (auto [type, text] : kKinds) kinds.emplace_back(type, platform::ResourceText(text));
}

// The priority values are written once, so that a user's later changes stay.
void SetPriorities() {
    int32_t version = 0;
    platform::ReadMachineNumber("Priority Version", 0, &version);
    if (version != kPriorityVersion) {
        platform::WriteMachineNumber("Priority Version", kPriorityVersion);
        platform::WriteMachineNumber("Priority Class", platform::kHighPriorityClass);
        platform::WriteMachineNumber("Tasking\\Box Input", 15);
        platform::WriteMachineNumber("Tasking\\Main Thread", 0);
        platform::WriteMachineNumber("Tasking\\Box Sync", -2);
        platform::WriteMachineNumber("Tasking\\Logo", 0);
    }
    int32_t priorityClass = 0;
    platform::ReadMachineNumber("Priority Class", platform::kRealtimePriorityClass, &priorityClass);
    if (!platform::SetProcessPriorityClass(priorityClass))
        StopStartup(platform::ResourceText(kTextPriorityClassFailed));
    int32_t mainPriority = 0;
    platform::ReadMachineNumber("Tasking\\Main Thread", -1, &mainPriority);
    if (!platform::SetThreadPriority(mainPriority))
        StopStartup(platform::ResourceText(kTextThreadPriorityFailed));
}

std::atomic<int32_t>& LoopPause() {
    static std::atomic<int32_t> pause{kDefaultLoopPauseMilliseconds};
    return pause;
}

void ReadLoopPause() {
    // A missing value is written back with its default by the read.
    int32_t pause = kDefaultLoopPauseMilliseconds;
    platform::ReadMachineNumber("Tasking\\Loop Pause", kDefaultLoopPauseMilliseconds, &pause);
    LoopPause().store(std::max(pause, 0), std::memory_order_relaxed);
}

void OpenBox(const LogoCoreSetup& setup) {
    std::string port;
    if (setup.port)
        port = *setup.port;
    else
        platform::ReadMachineText("ControlBox_Port", "COM1", &port);
    if (port == platform::ResourceText(kTextNoPort)) return;
    if (setup.openBox) setup.openBox(port);
}

}  // namespace

const std::map<std::string, int32_t>& OutputNameMap() {
    return OutputNames();
}
const std::vector<std::pair<int32_t, std::string>>& ObjectKindTable() {
    return ObjectKinds();
}

std::vector<PrimitiveRow> AssembleNumberedTable(const std::vector<PrimitiveFamily>& families) {
    std::vector<PrimitiveRow> table;
    for (const PrimitiveFamily& family : families)
        for (const PrimitiveRow& row : family.numbered)
            if (row.token != 0) table.push_back(row);
    std::stable_sort(table.begin(), table.end(), [](const PrimitiveRow& a, const PrimitiveRow& b) {
        return a.token < b.token;
    });
    int32_t previous = 0;
    for (const PrimitiveRow& row : table) {
        if (row.token <= previous)
            platform::ShowMessage(platform::MessageKind::Warning,
                                  "Token " + std::to_string(row.token) +
                                      " out of sequence (comes after token " +
                                      std::to_string(previous) + ")");
        previous = row.token;
    }
    return table;
}

const PrimitiveRow* FindPrimitiveRow(const std::vector<PrimitiveRow>& table, int32_t token) {
    auto it = std::lower_bound(table.begin(), table.end(), token,
                               [](const PrimitiveRow& row, int32_t t) { return row.token < t; });
    return it != table.end() && it->token == token ? &*it : nullptr;
}

std::vector<VocabularyEntry> ReadVocabulary(std::istream& in) {
    std::vector<VocabularyEntry> entries;
    for (;;) {
        while (in && std::isspace(in.peek())) in.get();
        if (!in || in.peek() == std::char_traits<char>::eof()) break;
        // At most 255 characters, through the line feed: a longer line goes
        // on as the next one.
        std::string line;
        for (int c; line.size() < kMaxLine && (c = in.get()) != std::char_traits<char>::eof();) {
            line += static_cast<char>(c);
            if (c == '\n') break;
        }
        if (auto lf = line.rfind('\n'); lf != std::string::npos) line.resize(lf);
        if (auto cr = line.rfind('\r'); cr != std::string::npos) line.resize(cr);
        if (line.empty() || line[0] == '#') continue;

        std::size_t split = line.find(' ');
        if (split == std::string::npos) split = line.find('\t');
        if (split == std::string::npos) continue;
        std::string name = line.substr(0, split);
        name = name.substr(0, name.find(' '));
        name = name.substr(0, name.find('\t'));
        const platform::ParsedInteger number = platform::ParseInteger(line.substr(split + 1));
        entries.push_back({platform::LowerCase(name), static_cast<int32_t>(number.value)});
    }
    return entries;
}

int InitLogoCore(const LogoCoreSetup& setup) {
    platform::InstallFatalSignalHandlers();
    if (!RegisterNamedPrimitives(setup.families)) return 0;
    const std::vector<PrimitiveRow> table = AssembleNumberedTable(setup.families);
    if (!RegisterVocabulary(table, setup.vocabularyFile)) return 0;
    FillOutputNameMap();
    SetPriorities();
    ReadLoopPause();
    OpenBox(setup);
    FillObjectKindTable();
    return 1;
}

int32_t LoopPauseMilliseconds() {
    return LoopPause().load(std::memory_order_relaxed);
}

void ExitLogoCore(const LogoCoreSetup& setup) {
    StopEverything();
    if (setup.closeBox) setup.closeBox();
    // Tasks see the stop request within one primitive; waiting for them
    // keeps them from running on while the process tears down.
    WaitForAllTasks(kShutdownWaitMilliseconds);
}
