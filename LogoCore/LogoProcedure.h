// A user procedure: a name, the names of its inputs and a body, the flat
// zero-terminated array of compiled items that the evaluator walks.
// Shared by reference count between its name-table entry, compiled code
// and running calls, so a procedure redefined while it runs stays intact.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CHandleData;

class CLogoProcedure {
  public:
    static constexpr const char* kClassName = "CLogoProcedure";

    explicit CLogoProcedure(std::string_view name);
    CLogoProcedure(const CLogoProcedure&) = delete;
    CLogoProcedure& operator=(const CLogoProcedure&) = delete;

    const std::string& Name() const { return name_; }

    // Appends an input; a name without a leading colon gets one.
    void AddInput(std::string_view name);
    const std::vector<std::string>& Inputs() const { return inputs_; }
    int32_t InputCount() const { return static_cast<int32_t>(inputs_.size()); }

    // Takes one reference to the cell and appends it; the body stays
    // zero-terminated.
    void AddToBody(CHandleData* cell);
    // The body: BodyLength() items followed by a zero.
    CHandleData* const* Body() const { return body_.data(); }
    int32_t BodyLength() const { return static_cast<int32_t>(body_.size()) - 1; }

    void AddRef() { count_.fetch_add(1, std::memory_order_relaxed); }
    void Release() {
        if (count_.fetch_sub(1, std::memory_order_acq_rel) <= 1) delete this;
    }

  private:
    ~CLogoProcedure();

    std::string name_;
    std::vector<std::string> inputs_;
    std::vector<CHandleData*> body_{nullptr};
    std::atomic<int32_t> count_{1};
};
