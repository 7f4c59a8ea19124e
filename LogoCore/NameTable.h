// The process-wide name table: one cell for every word the interpreter
// knows by name (primitives, procedures, procedure names used before their
// definition, variable names), kept in token order.
//
// The definition operations also make the unnamed cells that primitives
// output: an empty name is never entered, and such a cell belongs to the
// caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "LogoCore/HandleData.h"
#include "LogoCore/HandleList.h"
#include "LogoCore/Primitives.h"

class CLogoList;

// The table itself.
CHandleList& NameTable();

// Error numbers returned by the definition operations.
inline constexpr int32_t kErrorRedefinePrimitive = -6;
inline constexpr int32_t kErrorNoMemory = -12;
// A name a user chose is already taken (message 20021).
inline constexpr int32_t kErrorNameInUse = -21;

// Find by name; make the entry when absent, else change the existing one.
// A newly entered cell comes back with the table's reference only; a cell
// that was not entered (empty name, state TEMP or ERROR) belongs to the
// caller; an existing entry comes back with one reference for the caller.
// A primitive is never changed: -6.
CHandleData* DefineName(std::string_view name, int32_t type, int32_t state);
CHandleData* DefineInteger(std::string_view name, int32_t value, int32_t state);
CHandleData* DefineBoolean(std::string_view name, bool value, int32_t state);
CHandleData* DefineString(std::string_view name, std::string_view value, int32_t state);
CHandleData* DefineList(std::string_view name, CLogoList* list, int32_t state);
CHandleData* DefineProcedureName(std::string_view name, int32_t state);
// Rounds the value first; raises -64, -12 and -6 instead of returning them.
CHandleData* DefineReal(std::string_view name, double value, int32_t state);

// Parsed instructions: always new unnamed cells, never entered.
CHandleData* MakeInfixNode(CHandleData* op, CHandleData* left, CHandleData* right, int32_t state);
CHandleData* MakeCallNode(CHandleData* callee, CHandleData* argumentTree, int32_t state);

// Enters (or updates) a primitive under its lower-cased name. Returns the
// entry, or -12.
CHandleData* RegisterPrimitive(std::string_view name, PrimitiveHandler handler, int32_t token,
                               int32_t option, int32_t defaultInputs, int32_t minInputs,
                               int32_t maxInputs, int32_t precedence);

// Words the project makes at run time under names a user chose (named
// inputs, motor directions, sliders, text boxes): primitives like the
// others, but they must never take the place of a built-in primitive or a
// procedure. A name the reader has only met as a procedure name becomes the
// word in place, so code read earlier calls it. Returns the entry, or -12;
// raises kErrorNameInUse with the name when it belongs to anything other than a word
// with this handler.
CHandleData* RegisterUserWord(std::string_view name, PrimitiveHandler handler, int32_t token,
                              int32_t option, int32_t inputs);
// Removes the word when the name is a primitive with this handler; a
// procedure or another primitive of the same name stays.
void EraseUserWord(std::string_view name, PrimitiveHandler handler);

// Reader look-ups. A procedure name comes back (made when absent) with one
// reference for the caller; null when the name belongs to another kind.
CHandleData* LookupProcedureName(std::string_view name, int32_t state);

// Makes sure the name has a variable-name entry in the state (an existing
// entry is renewed as one, as DefineName does). The entry comes back with
// one reference for the caller; null when the name cannot be one.
CHandleData* DeclareVariableName(std::string_view name, int32_t state);

CHandleData* FindName(std::string_view name);  // with one reference, or null
CHandleData* FindToken(int32_t token);         // with one reference, or null
bool IsDefined(std::string_view name);         // an entry that is not a bare procedure name
void EraseName(std::string_view name);
void RemoveAllWithState(int32_t state);
// Removes every procedure the procedures page defined, before it is read
// again. A removed procedure that something still holds stays intact for
// it until CollectRemovedProcedures finds it held by nothing but removed
// procedures' bodies.
void RemoveProcedures();
// Frees the removed procedures that nothing but removed procedures' bodies
// holds any more; called whenever a holder may have let go.
void CollectRemovedProcedures();

// Whether a user may give the text as a name to a procedure, variable or
// page object.
bool IsValidName(std::string_view text);
// The characters that end a word.
bool IsDelimiter(unsigned char c);
