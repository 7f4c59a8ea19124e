// Variable scopes: the global scope shared by all tasks, and one scope for
// each running call of a named procedure, chained from the innermost out.
// Variables are found along the chain of running calls (dynamic scope).
#pragma once

#include <cstdint>
#include <string_view>

#include "LogoCore/HandleList.h"

class CHandleData;

class CVariableList {
  public:
    static constexpr const char* kClassName = "CVariableList";

    // The scope of a running call is seen only by its own task, so it is
    // made unlocked (shared = false); the global scope is shared.
    explicit CVariableList(CVariableList* parent = nullptr, bool shared = true)
        : parent_(parent), variables_(false, shared) {}
    CVariableList(const CVariableList&) = delete;
    CVariableList& operator=(const CVariableList&) = delete;
    ~CVariableList() { Clear(); }

    CVariableList* Parent() const { return parent_; }
    void SetParent(CVariableList* parent) { parent_ = parent; }

    // The variable cell of that name here or in an enclosing scope, with
    // one reference; null when no scope has it.
    CHandleData* Find(std::string_view name);
    // A new variable here holding a copy of the value (none: no value);
    // replaces one of the same name. Takes over the caller's reference to
    // the value. Makes the name-table entry for the name when missing.
    void Declare(std::string_view name, CHandleData* value, int32_t state);
    // Declare for a variable this scope is known to have had (a call of
    // itself in last position binding its inputs again): a variable still
    // here just gets the new cell, and the name table is not asked again.
    void Rebind(std::string_view name, CHandleData* value, int32_t state);
    void Remove(std::string_view name);
    void Clear();
    // The nearest scope outwards that has the variable gets the value; the
    // global scope when none has it. Takes over the caller's reference.
    void Set(std::string_view name, CHandleData* value, int32_t state);

    // Variables in this scope, in the order they were made (for listings).
    CHandleList& Variables() { return variables_; }

  private:
    CVariableList* parent_;
    CHandleList variables_;
};

// The outermost scope, for the whole run.
CVariableList& GlobalScope();

// The reader's look-up of a name written with a colon: the variable-name
// entry with one reference for the caller, made (and declared in the
// global scope with no value) when absent. Null when the name belongs to
// another kind of entry.
CHandleData* LookupVariableName(std::string_view name, int32_t state);

// The variable-setting primitive: declares a variable the name table does
// not know in the global scope, sets a known one from the current scope
// outwards, and raises -4 for a name that belongs to another kind of entry.
// Takes over the caller's reference to the value.
void SetVariable(CVariableList& current, std::string_view name, CHandleData* value, int32_t state);
