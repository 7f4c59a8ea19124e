// The clipboard block carries every kind of object whole, and a damaged
// block is refused.
#include <gtest/gtest.h>

#include <vector>

#include "ProjectTestSupport.h"
#include "platform/Archive.h"
#include "project/ClipboardRecord.h"
#include "project/FormatError.h"

namespace {

class ClipboardRecord : public ProjectTest {};

std::vector<uint8_t> FileRecord(const CPageObject& object) {
    platform::ArchiveWriter out;
    object.Write(out);
    return out.Bytes();
}

TEST_F(ClipboardRecord, EveryKindRoundTripsWithAllItsFields) {
    FillProject(*doc_, 10);
    std::vector<const CPageObject*> objects;
    for (const auto& page : doc_->Pages())
        for (const auto& object : page->Objects()) objects.push_back(object.get());
    ASSERT_EQ(objects.size(), 6u);
    doc_->FindObject("go")->SetBorder(false);  // a button's border is in no file record

    const std::vector<uint8_t> block = EncodeClipboard(objects);
    EXPECT_EQ(block[0], 6);
    EXPECT_EQ(block[4], 7);  // the first object's type: a text box
    const auto pasted = DecodeClipboard(block);
    ASSERT_EQ(pasted.size(), objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) {
        SCOPED_TRACE(objects[i]->Name());
        EXPECT_EQ(pasted[i]->Type(), objects[i]->Type());
        EXPECT_EQ(FileRecord(*pasted[i]), FileRecord(*objects[i]));
        EXPECT_EQ(pasted[i]->Border(), objects[i]->Border());
        EXPECT_NE(pasted[i]->Serial(), objects[i]->Serial());
    }
    std::vector<const CPageObject*> again;
    for (const auto& object : pasted) again.push_back(object.get());
    EXPECT_EQ(EncodeClipboard(again), block);

    for (std::size_t size = 0; size < block.size(); ++size) {
        const std::vector<uint8_t> cut(block.begin(), block.begin() + size);
        EXPECT_THROW(DecodeClipboard(cut), std::exception) << "cut at " << size;
    }
    std::vector<uint8_t> badType = block;
    badType[4] = 5;
    EXPECT_THROW(DecodeClipboard(badType), ProjectFormatError);
}

}  // namespace
