// The error of the page-object layer: a message id and up to two
// arguments, worded from the resource library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CKinxError {
  public:
    static constexpr const char* kClassName = "CKinxError";
    static constexpr std::size_t kMaxArgument = 63;  // longer arguments are cut

    explicit CKinxError(int32_t id, std::string_view first = "%1", std::string_view second = "%2");

    int32_t Id() const { return id_; }
    const std::string& First() const { return first_; }
    const std::string& Second() const { return second_; }
    // The resource text of the id with the two arguments in place.
    std::string Message() const;

  private:
    int32_t id_;
    std::string first_;
    std::string second_;
};
