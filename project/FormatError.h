// A project file that cannot be what it claims: a bad magic number, a
// version this program does not know, a negative count or length.
#pragma once

#include <stdexcept>
#include <string>

class ProjectFormatError : public std::runtime_error {
  public:
    explicit ProjectFormatError(const std::string& what) : std::runtime_error(what) {}
};
