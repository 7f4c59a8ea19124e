// The handlers of the words the setup registers under names the user gives:
// a named input reads that input, a named motor direction sets it. The
// setup knows its own words in the interpreter's name table by these
// handlers and their options.
#pragma once

#include <cstdint>
#include <string>

class CHandleData;
class CLogoTask;

// Option: the input port 0-7. Reads the input of the active setup by its
// tool type; raises -61 with the called name when no project is open.
CHandleData* ReadNamedInput(CLogoTask* task, CHandleData** inputs, int32_t option,
                            const std::string& calledName);

// Option: the output index. Directions 1 and 0 have a handler each, so that
// the two names of one output are different words.
CHandleData* SetNamedDirection1(CLogoTask* task, CHandleData** inputs, int32_t option,
                                const std::string& calledName);
CHandleData* SetNamedDirection0(CLogoTask* task, CHandleData** inputs, int32_t option,
                                const std::string& calledName);
