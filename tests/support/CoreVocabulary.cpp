#include "CoreVocabulary.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LogoCore/Evaluator.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoProcedure.h"
#include "LogoCore/LogoTask.h"
#include "LogoTestPrimitives.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"

namespace {

std::filesystem::path ScratchDirectory() {
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() /
                 ("kinetra-core-vocabulary-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// LogoCore.dat without the tokens the families do not have (the core alone
// has neither the box's nor the project's). One file per number of families.
std::filesystem::path VocabularyFile(const std::vector<PrimitiveFamily>& families) {
    const std::filesystem::path file =
        ScratchDirectory() / ("LogoCore-" + std::to_string(families.size()) + ".dat");
    if (std::filesystem::exists(file)) return file;
    const auto shipped = platform::FindDataFile(kVocabularyFileName);
    if (!shipped) return {};
    std::ifstream in(*shipped);
    const std::vector<PrimitiveRow> table = AssembleNumberedTable(families);
    std::ofstream out(file);
    for (const VocabularyEntry& entry : ReadVocabulary(in))
        if (FindPrimitiveRow(table, entry.token)) out << entry.name << ' ' << entry.token << '\n';
    return file;
}

}  // namespace

void UseCoreVocabulary() {
    UseVocabulary({CorePrimitiveFamily()});
}

void UseVocabulary(const std::vector<PrimitiveFamily>& families) {
    platform::SetConfigDirectory(ScratchDirectory());
    LogoCoreSetup setup;
    setup.families = families;
    setup.vocabularyFile = VocabularyFile(families);
    ASSERT_FALSE(setup.vocabularyFile.empty()) << "LogoCore.dat not found; set KINETRA_DATA_DIR";
    ASSERT_EQ(InitLogoCore(setup), 1);
}

std::string RunLogo(const std::string& text) {
    CaptureHost host;
    std::string shown;
    try {
        CHandleData* result = RunHere(text);
        if (result) shown = "=> " + GetString(result, true);
    } catch (const LogoError& e) {
        shown = ErrorText(e.handle);
        Release(e.handle);
    }
    return host.Text() + shown;
}

std::string EvalLogo(const std::string& expression) {
    CaptureHost host;
    CLogoTask* task = CLogoTask::Create(DefaultSelection(), true);
    std::string shown;
    try {
        CHandleData* code = task->CompileText(expression, kStateUser);
        ReleaseAtEnd guard(code);
        shown = GetString(EvaluateExpression(code ? code->Procedure() : nullptr, task, expression),
                          true);
    } catch (const LogoError& e) {
        shown = ErrorText(e.handle);
        Release(e.handle);
    }
    CLogoTask::Destroy(task);
    return host.Text() + shown;
}
