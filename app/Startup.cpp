#include "app/Startup.h"

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <system_error>

#include "platform/ConfigStore.h"

bool SingleInstance::Acquire(const std::filesystem::path& directory) {
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    const std::string path = (directory / "kinetra.lock").string();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return true;  // no lock to be had: run rather than refuse
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    ::close(fd_);
    fd_ = -1;
    return false;
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

PageMargins ReadPageMargins() {
    platform::ConfigStore& profile = platform::UserProfile();
    PageMargins m;
    m.top = profile.GetNumber("Pagesetup", "TopMargin", m.top);
    m.bottom = profile.GetNumber("Pagesetup", "BottomMargin", m.bottom);
    m.left = profile.GetNumber("Pagesetup", "LeftMargin", m.left);
    m.right = profile.GetNumber("Pagesetup", "RightMargin", m.right);
    return m;
}

void WritePageMargins(const PageMargins& m) {
    platform::ConfigStore& profile = platform::UserProfile();
    profile.WriteNumber("Pagesetup", "TopMargin", m.top);
    profile.WriteNumber("Pagesetup", "BottomMargin", m.bottom);
    profile.WriteNumber("Pagesetup", "LeftMargin", m.left);
    profile.WriteNumber("Pagesetup", "RightMargin", m.right);
}

// Asks the installed locale when there is one; a fresh machine has none
// but C, so the languages that write a decimal comma are known here too.
char DecimalSeparatorOfLocale(const std::string& name) {
    if (name.empty() || name == "C" || name == "POSIX") return '.';
    if (locale_t loc = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(0))) {
        const char* radix = nl_langinfo_l(RADIXCHAR, loc);
        const char separator = radix && std::strcmp(radix, ",") == 0 ? ',' : '.';
        freelocale(loc);
        return separator;
    }
    static const std::set<std::string> kCommaLanguages = {
        "af", "az", "be", "bg", "bs", "ca", "cs", "da", "de", "el", "es", "et",
        "eu", "fi", "fo", "fr", "gl", "hr", "hu", "hy", "id", "is", "it", "ka",
        "kk", "ky", "lt", "lv", "mk", "mn", "nb", "nl", "nn", "no", "pl", "pt",
        "ro", "ru", "sk", "sl", "sq", "sr", "sv", "tr", "uk", "uz", "vi"};
    const std::string language = name.substr(0, name.find_first_of("_.@"));
    if (name.rfind("de_CH", 0) == 0 || name.rfind("it_CH", 0) == 0) return '.';
    return kCommaLanguages.count(language) ? ',' : '.';
}

char LocaleDecimalSeparator() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return DecimalSeparatorOfLocale(value);
    }
    return '.';
}
