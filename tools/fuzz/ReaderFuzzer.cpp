// Feeds arbitrary text to the reader, in command mode and as a procedures
// page. Whatever the text, a reading must end without a crash, a sanitizer
// report or a leaked cell; Logo errors that leave the reading are expected.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"
#include "LogoCore/Parser.h"
#include "LogoCore/Primitives.h"
#include "LogoCore/VariableList.h"
#include "platform/DataFiles.h"
#include "platform/NumberText.h"
#include "platform/TextCatalog.h"

namespace {

class DiscardingClient final : public CParserClient {
  public:
    void ReportError(CHandleData* error) override { Release(error); }
};

void RegisterPrimitives() {
    struct Row {
        const char* name;
        int32_t token;
    };
    static constexpr Row kRows[] = {
        {"to", 1}, {"end", 2}, {"print", 20}, {"sum", 60}, {"repeat", 114},
        {"+", 88}, {"-", 89},  {"*", 90},     {"/", 91},   {"<", 92},
        {">", 93}, {"=", 94},  {"<=", 95},    {">=", 96},  {"<>", 97},
    };
    for (const Row& row : kRows)
        RegisterPrimitive(row.name, PrimitiveNothing, row.token, 0, 1, 1, 2, 0);
}

// As the procedures page is read again: procedures that call each other
// hold each other's entries, which RemoveProcedures lets go.
void ClearProceduresPage() {
    RemoveProcedures();
    RemoveAllWithState(kStateTemp);
}

void ParseCatching(CParser& parser, std::string_view text, int32_t state) {
    DiscardingClient client;
    try {
        parser.Parse(text, client, state);
    } catch (const LogoError& e) {
        Release(e.handle);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Real message texts when the catalog is at hand; numbered ones otherwise.
    if (const auto file = platform::FindDataFile(platform::kResourceFileName))
        platform::ResourceLibrary().Load(*file, nullptr);
    RegisterPrimitives();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The first byte, when odd, reads with the decimal comma.
    platform::SetDecimalSeparator(size > 0 && (data[0] & 1) ? ',' : '.');
    CParser parser;

    // Command mode, in a state of its own so that the names it makes can be
    // taken out again and the table stays small.
    CHandleData* procedure = DefineName("", kTypeProcedure, kStateTask);
    parser.SetTarget(procedure);
    ParseCatching(parser, std::string(text) + "\n", kStateTask);
    parser.SetTarget(nullptr);
    Release(procedure);
    RemoveAllWithState(kStateTask);

    // The procedures page.
    ClearProceduresPage();
    parser.SetDefinitionMode(true);
    ParseCatching(parser, text, kStateProc);
    parser.SetDefinitionMode(false);
    ClearProceduresPage();

    GlobalScope().Clear();
    platform::SetDecimalSeparator('.');
    return 0;
}
