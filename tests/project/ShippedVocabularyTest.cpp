// The interpreter started as the program starts it: all three families and
// the shipped LogoCore.dat. Every token gets a name, and every name calls
// its row with the row's fields.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoCoreStartup.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"
#include "box/BoxPrimitives.h"
#include "platform/ConfigStore.h"
#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"
#include "project/ProjectPrimitives.h"

namespace fs = std::filesystem;

TEST(ShippedVocabulary, NamesEveryTokenAndRegistersEachWithItsRow) {
    const auto catalog = platform::FindDataFile(platform::kResourceFileName);
    const auto vocabulary = platform::FindDataFile(kVocabularyFileName);
    ASSERT_TRUE(catalog && vocabulary) << "run from the build's bin directory";
    std::string error;
    ASSERT_TRUE(platform::ResourceLibrary().Load(*catalog, &error)) << error;
    const fs::path config = fs::temp_directory_path() / "kinetra-shipped-vocabulary";
    fs::remove_all(config);
    platform::SetConfigDirectory(config);
    platform::WriteMachineText("ControlBox_Port", platform::ResourceText(1002));

    LogoCoreSetup setup;
    setup.families = {CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()};
    ASSERT_EQ(InitLogoCore(setup), 1);

    const std::vector<PrimitiveRow> table = AssembleNumberedTable(setup.families);
    std::ifstream in(*vocabulary);
    std::set<int32_t> named;
    for (const VocabularyEntry& entry : ReadVocabulary(in)) {
        SCOPED_TRACE(entry.name);
        const PrimitiveRow* row = FindPrimitiveRow(table, entry.token);
        ASSERT_NE(row, nullptr);
        CHandleData* cell = FindName(entry.name);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->Type(), kTypePrimitive);
        EXPECT_EQ(cell->Token(), row->token);
        const PrimitiveDescriptor& d = cell->Primitive();
        EXPECT_EQ(d.handler, row->handler);
        EXPECT_EQ(d.option, row->option);
        EXPECT_EQ(d.defaultInputs, row->defaultInputs);
        EXPECT_EQ(d.minInputs, row->minInputs);
        EXPECT_EQ(d.maxInputs, row->maxInputs);
        named.insert(entry.token);
    }
    EXPECT_EQ(named.size(), table.size()) << "some numbered primitive has no name";

    fs::remove_all(config);
}
