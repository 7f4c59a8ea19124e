// The resource library: every text the user sees, by number, loaded at
// start-up from a UTF-8 catalog file.
//
// Catalog lines: a decimal id, white space, the text to the end of the line.
// In the text, \r \n \t and \\ stand for carriage return, line feed, tab and
// backslash. Blank lines and lines beginning with '#' are skipped.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class TextCatalog {
  public:
    // Replaces the contents with the file's. On failure (unreadable file, a
    // malformed line, an id given twice) returns false with a message in
    // *error naming the file and line, and keeps the old contents.
    bool Load(const std::filesystem::path& file, std::string* error);
    bool LoadFromString(std::string_view text, std::string_view sourceName, std::string* error);

    // The text, or an empty text when the catalog has no such id.
    const std::string& Text(int32_t id) const;
    bool Has(int32_t id) const;
    std::size_t Size() const { return texts_.size(); }

  private:
    std::unordered_map<int32_t, std::string> texts_;
};

// Replaces %1 .. %99 with the arguments (as the platform's message formatter
// does); a placeholder without an argument stays as it is; %% is one %.
std::string FormatMessageText(std::string_view templ, const std::vector<std::string>& args);

// The process's resource library. Loaded once at start-up, read-only after.
TextCatalog& ResourceLibrary();
inline constexpr std::string_view kResourceFileName = "KinxRes.txt";

// Shorthands on the process's library.
const std::string& ResourceText(int32_t id);
std::string FormatResource(int32_t id, const std::vector<std::string>& args);

}  // namespace platform
