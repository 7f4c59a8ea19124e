#include "platform/FontFamilies.h"

#include <fontconfig/fontconfig.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include <memory>
#include <unordered_set>

namespace platform {

namespace {

template <typename T, void (*Destroy)(T*)>
struct Destroyer {
    void operator()(T* p) const {
        if (p) Destroy(p);
    }
};
using Pattern = std::unique_ptr<FcPattern, Destroyer<FcPattern, FcPatternDestroy>>;
using ObjectSet = std::unique_ptr<FcObjectSet, Destroyer<FcObjectSet, FcObjectSetDestroy>>;
using FontSet = std::unique_ptr<FcFontSet, Destroyer<FcFontSet, FcFontSetDestroy>>;
using Config = std::unique_ptr<FcConfig, Destroyer<FcConfig, FcConfigDestroy>>;

// Null config: the current one, which fontconfig loads on first use.
std::vector<std::string> FamiliesOf(FcConfig* config) {
    std::vector<std::string> families;
    const Pattern all(FcPatternCreate());
    const ObjectSet family(FcObjectSetBuild(FC_FAMILY, nullptr));
    if (!all || !family) return families;
    const FontSet fonts(FcFontList(config, all.get(), family.get()));
    if (!fonts) return families;
    // A font with several family names is listed once per name set, so the
    // same first name comes back for many fonts.
    std::unordered_set<std::string> seen;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch || !name)
            continue;
        std::string text(reinterpret_cast<const char*>(name));
        if (!text.empty() && seen.insert(text).second) families.push_back(std::move(text));
    }
    return families;
}

// fontconfig loses a few hundred bytes, once, while it parses the system's
// configuration; sanitizer builds' leak check looks away from this call only.
bool LoadSystemConfiguration() {
#ifdef __SANITIZE_ADDRESS__
    __lsan::ScopedDisabler notOurs;
#endif
    return FcInit();
}

}  // namespace

std::vector<std::string> FontFamilies() {
    if (!LoadSystemConfiguration()) return {};
    return FamiliesOf(nullptr);
}

std::vector<std::string> FontFamiliesOfConfiguration(const std::filesystem::path& file) {
    const Config config(FcConfigCreate());
    if (!config) return {};
    const std::string path = file.string();
    if (!FcConfigParseAndLoad(config.get(), reinterpret_cast<const FcChar8*>(path.c_str()),
                              FcFalse) ||
        !FcConfigBuildFonts(config.get()))
        return {};
    return FamiliesOf(config.get());
}

}  // namespace platform
