// Starting and stopping the interpreter.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "LogoCore/Primitives.h"

// What the application hands the interpreter: the primitive families of
// every folder, and the seams to the layers above the interpreter.
struct LogoCoreSetup {
    std::vector<PrimitiveFamily> families;
    // Opens the box link on the named port and reports a failure itself.
    // Empty while there is no box layer.
    std::function<void(const std::string& port)> openBox;
    std::function<void()> closeBox;
    // The box's port for this run instead of the stored one (not stored).
    std::optional<std::string> port;
    // LogoCore.dat to read; empty: search the data directories for it.
    std::filesystem::path vocabularyFile;
};

// Registers every primitive, reads LogoCore.dat, sets the priorities, fills
// the output-name map and the object-kind table, and opens the box. Returns
// nonzero when it ran to its end, 0 when a registration failed. Ends the
// process (code 1) when LogoCore.dat is missing or names an unknown token,
// or when a priority cannot be set.
int InitLogoCore(const LogoCoreSetup& setup);

// Stops every task and switches every box output off (StopEverything), so
// that no motor runs on after the program has gone; then closes the box
// link and waits a little for the tasks to end.
void ExitLogoCore(const LogoCoreSetup& setup);

// The numbered rows of all families in token order, with a message for
// every row whose token is not above the one before it.
std::vector<PrimitiveRow> AssembleNumberedTable(const std::vector<PrimitiveFamily>& families);
const PrimitiveRow* FindPrimitiveRow(const std::vector<PrimitiveRow>& table, int32_t token);

// One line of LogoCore.dat that names a primitive.
struct VocabularyEntry {
    std::string name;  // lower-cased
    int32_t token = 0;
};
// Reads the lines of LogoCore.dat: skips blanks and blank lines, lines
// beginning with '#', and lines with no blank or tab between a name and a
// number. Lines longer than 255 characters continue as the next line.
std::vector<VocabularyEntry> ReadVocabulary(std::istream& in);
inline constexpr const char* kVocabularyFileName = "LogoCore.dat";

// Output names ("A", "a", "motorA", "motora", ...) to the values 9..16 of outputs A..H;
// looked up with exact case.
const std::map<std::string, int32_t>& OutputNameMap();
// (page-object type code, display name), in the order start-up fills it.
const std::vector<std::pair<int32_t, std::string>>& ObjectKindTable();

// The pause of every round of forever and repeat, so that a loop leaves
// the processor to other tasks: the machine store's "Tasking\Loop Pause"
// (milliseconds), read at start-up and written back with the default when
// absent. 0 runs loops at full speed.
inline constexpr int32_t kDefaultLoopPauseMilliseconds = 5;
int32_t LoopPauseMilliseconds();

// The values of the priority settings that start-up writes once.
inline constexpr int32_t kPriorityVersion = 5;
