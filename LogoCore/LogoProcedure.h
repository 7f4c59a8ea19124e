// A user procedure: what a name-table entry of type "PROCEDURE" holds.
// Shared by reference count between the entry and running tasks, so a
// procedure being redefined stays alive for the tasks still running it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

class CLogoProcedure {
  public:
    static constexpr const char* kClassName = "CLogoProcedure";

    explicit CLogoProcedure(std::string_view name) : name_(name) {}
    CLogoProcedure(const CLogoProcedure&) = delete;
    CLogoProcedure& operator=(const CLogoProcedure&) = delete;

    const std::string& Name() const { return name_; }

    void AddRef() { count_.fetch_add(1, std::memory_order_relaxed); }
    void Release() {
        if (count_.fetch_sub(1, std::memory_order_acq_rel) <= 1) delete this;
    }

  private:
    ~CLogoProcedure() = default;

    std::string name_;
    std::atomic<int32_t> count_{1};
};
