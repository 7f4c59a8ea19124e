// What the application does around the interpreter when it starts and
// stops: one running copy per configuration, the page margins, and the
// decimal separator of the user's locale.
#pragma once

#include <filesystem>
#include <string>

// Holds the configuration directory's lock for as long as it lives.
class SingleInstance {
  public:
    // False when another copy of Kinetra holds the lock.
    bool Acquire(const std::filesystem::path& directory);
    ~SingleInstance();

  private:
    int fd_ = -1;
};

struct PageMargins {
    int top = 6;
    int bottom = 12;
    int left = 20;
    int right = 12;
};
PageMargins ReadPageMargins();
void WritePageMargins(const PageMargins& margins);

// ',' when the user's numeric locale (LC_ALL, LC_NUMERIC, LANG) writes
// numbers with a decimal comma, otherwise '.'.
char LocaleDecimalSeparator();
char DecimalSeparatorOfLocale(const std::string& localeName);
