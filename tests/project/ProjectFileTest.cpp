// The project file: a project with every kind of object saves and reads
// back field for field and byte for byte; files of the older versions,
// built here by a writer of their own, read with the fields each version
// has; damaged files are refused and change nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/NameTable.h"
#include "LogoTestPrimitives.h"
#include "ProjectTestSupport.h"
#include "platform/Archive.h"
#include "project/KinetraDoc.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A file of any version, written field by field as the format describes
// it, without the program's writer.
class OldFile {
  public:
    OldFile(int32_t version, bool magic) : version_(version) {
        if (magic) out_.Int32(0x786D694B);
        out_.Int32(version);
    }
    bool Has(int32_t since) const { return version_ >= since; }
    OldFile& I(int32_t v) {
        out_.Int32(v);
        return *this;
    }
    OldFile& D(double v) {
        out_.Double(v);
        return *this;
    }
    OldFile& T(const std::string& v) {
        out_.Text(v);
        return *this;
    }
    OldFile& B(uint8_t v) {
        out_.Byte(v);
        return *this;
    }
    OldFile& Colour(int32_t r, int32_t g, int32_t b) { return I(r).I(g).I(b); }
    // A one-pixel, 24-bit bitmap: header, no colour table, one padded row.
    // The size the record gives before the bitmap yields to the header's.
    OldFile& Picture(const std::string& name, int32_t recordSize = 1) {
        I(2).T(name).I(recordSize).I(recordSize).I(40);
        const int32_t header[] = {40, 1, 1, 0x00180001, 0, 4, 0, 0, 0, 0};
        for (int32_t v : header) I(v);
        return I(4).I(0x00FF00FF);
    }
    OldFile& Header(const std::string& name, bool border = true) {
        T(name).I(0);
        if (border) I(1);
        return I(30).I(20).I(5).I(6);
    }
    OldFile& Font() {
        I(-16).I(0).I(0).I(0).I(700);
        for (int i = 0; i < 8; ++i) B(0);
        const std::string face = "Mono";
        for (std::size_t i = 0; i < 32; ++i) B(i < face.size() ? face[i] : 0);
        return *this;
    }
    Bytes Written() const { return out_.Bytes(); }

  private:
    int32_t version_;
    platform::ArchiveWriter out_;
};

// Two pages of every kind of object, a 'C' byte between two of them, a user
// picture, procedures and a named input, in the fields the version has.
Bytes OldProject(int32_t version, bool magic, int firstCurve = 2, bool stray = true) {
    OldFile f(version, magic);
    if (f.Has(7)) f.I(1).T("secret");
    if (f.Has(13)) {
        for (int i = 0; i < 12; ++i) f.I(i);
    }
    if (f.Has(7)) f.Colour(1, 2, 3).I(0).Colour(4, 5, 6).I(0);
    if (f.Has(6)) f.I(1);
    if (f.Has(9)) f.I(1).Picture("dot");
    f.T("to go\r\nend\r\n");
    CSetupData setup(nullptr);
    setup.SetPortType(0, 2);
    platform::ArchiveWriter block;
    setup.Serialize(block);
    for (uint8_t b : block.Bytes()) f.B(b);
    f.T("second").I(2);

    f.T("first");
    if (f.Has(8)) f.Colour(7, 8, 9).I(0);
    f.B('T').Header("notes").Font().T("hello\r\nworld").Colour(0, 0, 255).Colour(255, 255, 0);
    if (f.Has(6)) f.I(1);
    if (stray) f.B('C');
    f.B('G').Header("chart").I(1).I(0).I(1).I(1).D(100).D(50).D(-1).D(-2).T("time").T("light");
    f.D(2.5).T("sensor 1").T("").T("").T("sensor 4").Colour(0, 128, 0).Colour(9, 9, 9);
    if (f.Has(5)) {
        f.I(7).D(51).D(-3).D(101).D(-4).I(1);
        if (f.Has(11)) {
            f.I(firstCurve);
            for (int i = 0; i < firstCurve; ++i) f.D(i * 0.5);
            for (int c = 1; c < 4; ++c) f.I(2).D(c).D(c + 0.5);
        } else {
            f.I(2).D(0).D(1).D(2).D(3).D(0.5).D(1.5).D(2.5).D(3.5);
        }
    }
    if (f.Has(12))
        f.B('P').Header("photo").I(2).T("dot");
    else
        f.B('P').Header("photo").Picture("dot", 99);
    f.B('E');
    if (f.Has(7)) f.T("dot");

    f.T("second");
    if (f.Has(8)) f.Colour(10, 11, 12).I(1);
    f.B('S').Header("speed").I(0).I(0).I(0).D(20).D(10).D(12.5).T("print 1").T("standard");
    f.B('B').Header("go", false).T("go").T("stop").I(0).T("no such shape");
    f.B('M').Header("watch").Font().Colour(1, 1, 1).Colour(2, 2, 2).T("timer").I(3).I(0).I(0);
    f.B('E');
    if (f.Has(7)) f.T("");
    return f.Written();
}

class ProjectFile : public ProjectTest {};

TEST_F(ProjectFile, EveryKindOfObjectRoundTripsByteForByte) {
    FillProject(*doc_);
    const Bytes saved = doc_->Write();
    const auto copy = CKinetraDoc::Read(saved, "full.KXP");
    EXPECT_EQ(copy->Write(), saved);
    EXPECT_EQ(copy->Settings(), doc_->Settings());
    EXPECT_EQ(copy->PageNames(), doc_->PageNames());
    EXPECT_EQ(copy->CurrentPageIndex(), 1);
    ASSERT_EQ(copy->Pictures().UserPictures().size(), 1u);
    EXPECT_EQ(*copy->Pictures().UserPictures()[0], *doc_->Pictures().UserPictures()[0]);

    // What the reading made of it: each object with its own settings.
    ASSERT_NE(copy->FindObject("Chart"), nullptr);
    const CGraph& graph = *copy->FindObject("chart")->As<CGraph>();
    EXPECT_EQ(graph.curves[3].size(), 3000u);
    EXPECT_EQ(graph.curves[3][2999], 2999 * 0.25);
    EXPECT_EQ(graph.xCaption, "Zeit");
    EXPECT_EQ(copy->FindObject("notes")->As<CTextBox>()->text, "caf\xC3\xA9\r\nline 2");
    EXPECT_EQ(copy->FindObject("notes")->As<CTextBox>()->font.FaceName(), "Courier");
    EXPECT_EQ(copy->FindObject("speed")->As<CSlider>()->value, 6.5);
    EXPECT_EQ(copy->FindObject("go")->As<CPageButton>()->secondList, "alloff");
    EXPECT_EQ(copy->FindObject("watch")->As<CMonitor>()->function, "timer");
    const CPictureBox& photo = *copy->FindObject("photo")->As<CPictureBox>();
    EXPECT_EQ(photo.picture, copy->Pictures().UserPictures()[0]);
    EXPECT_EQ(copy->FindObject("go")->Position(), (PagePoint{40, 50}));
    EXPECT_FALSE(copy->FindObject("go")->NameShown());

    // Opened, its names are words again and its setup takes effect.
    CKinetraDoc::Install(copy);
    EXPECT_EQ(EvalLogo("speed"), "6.5");
    EXPECT_EQ(EvalLogo("notes"), "caf\xC3\xA9\r\nline 2");
    EXPECT_EQ(copy->Setup().GetPortName(0), "Door");
    EXPECT_TRUE(IsDefined("door"));
}

TEST_F(ProjectFile, EveryOlderVersionReadsTheFieldsItHas) {
    for (int32_t version = 0; version <= 13; ++version) {
        for (const bool magic : {false, true}) {
            SCOPED_TRACE("version " + std::to_string(version) + (magic ? " with" : " without") +
                         " the magic number");
            const auto doc = CKinetraDoc::Read(OldProject(version, magic), "old.KXP");
            const DocumentSettings& s = doc->Settings();
            EXPECT_EQ(s.locked, version >= 7 ? 1 : 0);
            EXPECT_EQ(s.password, version >= 7 ? "secret" : "");
            EXPECT_EQ(s.pageFrame, version >= 13 ? (PageRect{8, 9, 10, 11}) : PageRect{});
            EXPECT_EQ(s.proceduresColour, version >= 7 ? (Colour{4, 5, 6}) : kWindowColour);
            EXPECT_EQ(s.singlePage, version >= 6 ? 1 : 0);
            // Before version 9 the library is the picture box's inline one.
            ASSERT_EQ(doc->Pictures().UserPictures().size(), 1u);
            EXPECT_EQ(doc->ProceduresText(), "to go\r\nend\r\n");
            EXPECT_EQ(doc->PageNames(), (std::vector<std::string>{"first", "second"}));
            EXPECT_EQ(doc->CurrentPageIndex(), 1);
            const CPage& first = *doc->Pages()[0];
            EXPECT_EQ(first.BackColour(), version >= 8 ? (Colour{7, 8, 9}) : kWindowColour);
            EXPECT_EQ(first.Wallpaper(), version >= 7 ? "dot" : "");
            ASSERT_EQ(first.Objects().size(), 3u);  // the 'C' is no object
            ASSERT_EQ(doc->Pages()[1]->Objects().size(), 3u);

            const CTextBox& notes = *doc->FindObject("notes")->As<CTextBox>();
            EXPECT_EQ(notes.text, "hello\r\nworld");
            EXPECT_EQ(notes.font.weight, 700);
            EXPECT_EQ(notes.protectedText, version >= 6 ? 1 : 0);
            const CGraph& chart = *doc->FindObject("chart")->As<CGraph>();
            EXPECT_EQ(chart.yCaption, "light");
            EXPECT_EQ(chart.curveFunctions[3], "sensor 4");
            EXPECT_EQ(chart.xOffset, version >= 5 ? 7 : 0);
            for (int c = 0; c < 4; ++c) {
                if (version >= 5) {
                    EXPECT_EQ(chart.curves[c], (std::vector<double>{c * 1.0, c + 0.5}));
                } else {
                    EXPECT_TRUE(chart.curves[c].empty());
                }
            }
            // A picture is found in the library, or joins it when the library
            // (before version 9) has none of its name; its size is its bitmap's.
            const CPictureBox& photo = *doc->FindObject("photo")->As<CPictureBox>();
            EXPECT_EQ(photo.picture, doc->Pictures().UserPictures()[0]);
            EXPECT_EQ(photo.picture->width, 1);
            EXPECT_EQ(doc->FindObject("speed")->As<CSlider>()->value, 12.5);
            EXPECT_EQ(doc->FindObject("go")->As<CPageButton>()->shape, "no such shape");
            EXPECT_EQ(doc->FindObject("watch")->As<CMonitor>()->functionValue, 3);
            if (version == 13 && magic) {
                // Written back the same, but for the byte that was no object.
                EXPECT_EQ(doc->Write(), OldProject(13, true, 2, false));
            }
        }
    }
}

TEST_F(ProjectFile, DamagedFilesAreRefusedWithTheirReason) {
    Bytes magicThen14 = OldProject(13, true);
    magicThen14[4] = 14;
    Bytes first16 = OldProject(13, false);
    first16[0] = 16;
    Bytes negativePictures = OldProject(13, true);
    // The picture count's top byte: after the magic, version, lock, password,
    // frames, colours and single-page flag.
    negativePictures[4 + 4 + 4 + 7 + 48 + 32 + 4 + 3] = 0x80;

    struct Case {
        const char* what;
        Bytes bytes;
        std::string error;
    };
    const Case cases[] = {
        {"magic then 14", magicThen14, Message(-49, {"f.KXP"})},
        {"first int32 16", first16, Message(-45, {"f.KXP"})},
        {"negative count", negativePictures, Message(-45, {"f.KXP"})},
        {"empty", {}, Message(-45, {"f.KXP"})},
        {"duplicate name", Replaced(OldProject(13, true), "watch", "NOTES"),
         Message(-21, {"NOTES"})},
        {"a primitive's name", Replaced(OldProject(13, true), "watch", "print"),
         Message(-21, {"print"})},
        {"unknown style", Replaced(OldProject(13, true), "standard", "fancy!!!"),
         Message(-28, {"fancy!!!"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ErrorTextOf([&] { CKinetraDoc::Read(c.bytes, "f.KXP"); }), c.error);
    }
}

TEST_F(ProjectFile, ACurveKeepsItsFirst3000Samples) {
    const auto doc = CKinetraDoc::Read(OldProject(13, true, 3001), "f.KXP");
    const CGraph& chart = *doc->FindObject("chart")->As<CGraph>();
    ASSERT_EQ(chart.curves[0].size(), 3000u);
    EXPECT_EQ(chart.curves[0].back(), 2999 * 0.5);
    EXPECT_EQ(chart.curves[1], (std::vector<double>{1, 1.5}));
}

TEST_F(ProjectFile, EveryTruncationIsRefused) {
    FillProject(*doc_, /*samples=*/4);
    const Bytes saved = doc_->Write();
    for (std::size_t size = 0; size < saved.size(); ++size) {
        const Bytes cut(saved.begin(), saved.begin() + size);
        ASSERT_EQ(ErrorTextOf([&] { CKinetraDoc::Read(cut, "cut.KXP"); }),
                  Message(-45, {"cut.KXP"}))
            << "cut at " << size;
    }
}

}  // namespace
