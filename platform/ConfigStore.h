// The two configuration stores: small typed key/value files.
//
// A store is one file of sections:
//     [Section]
//     Name=123          a 32-bit number
//     Name="text"       a text; \" \\ \n \r \t are escaped inside the quotes
// Every write replaces the file atomically (a temporary file, then rename),
// so a crash never leaves a half-written store.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

namespace platform {

class ConfigStore {
  public:
    explicit ConfigStore(std::filesystem::path file);

    const std::filesystem::path& File() const { return file_; }

    // Reads with write-back: when the value is present and of the asked
    // type, *out is it and the result is true. Otherwise (no file, no value,
    // another type, a text of 256 bytes or more) the default is written
    // under the name, *out is the default and the result is false.
    bool ReadNumber(std::string_view section, std::string_view name, int32_t fallback,
                    int32_t* out);
    bool ReadText(std::string_view section, std::string_view name, std::string_view fallback,
                  std::string* out);

    // Plain reads: the default when missing or of another type; nothing written.
    int32_t GetNumber(std::string_view section, std::string_view name, int32_t fallback) const;
    std::string GetText(std::string_view section, std::string_view name,
                        std::string_view fallback) const;

    // False when the file could not be written (the store is left as it was).
    bool WriteNumber(std::string_view section, std::string_view name, int32_t value);
    bool WriteText(std::string_view section, std::string_view name, std::string_view value);

  private:
    std::filesystem::path file_;
    mutable std::mutex lock_;
};

// Where the stores live: the directory set by SetConfigDirectory (the
// program's --config option), else $KINETRA_CONFIG_DIR, else
// $XDG_CONFIG_HOME/kinetra, else $HOME/.config/kinetra. The directory is made
// when a store is first written. An empty directory undoes SetConfigDirectory.
void SetConfigDirectory(const std::filesystem::path& directory);
std::filesystem::path ConfigDirectory();

// The machine-wide store (file "machine.ini", one section named
// kMachineSection) and the per-user profile (file "profile.ini").
// Both are opened in the current configuration directory on first use and
// reopened when the directory changes.
inline constexpr std::string_view kMachineSection = "Software\\Tavi\\Kinetra";
ConfigStore& MachineStore();
ConfigStore& UserProfile();

// The machine-wide store's four operations.
bool ReadMachineNumber(std::string_view name, int32_t fallback, int32_t* out);
bool ReadMachineText(std::string_view name, std::string_view fallback, std::string* out);
bool WriteMachineNumber(std::string_view name, int32_t value);
bool WriteMachineText(std::string_view name, std::string_view value);

}  // namespace platform
