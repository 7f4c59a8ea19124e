// What the project's tests share: an open project with the whole
// vocabulary, one filled with every kind of object, and editing file bytes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "CoreVocabulary.h"
#include "LogoCore/LogoTask.h"
#include "box/BoxPrimitives.h"
#include "project/KinetraDoc.h"
#include "project/ProjectPrimitives.h"

class ProjectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        UseVocabulary({CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()});
        doc_ = CKinetraDoc::NewProject();
    }
    // No task outlives its test: a monitor's task, say, would still run
    // while the process ends and its objects go.
    void TearDown() override {
        doc_.reset();
        CKinetraDoc::CloseProject();
        StopAll();
        EXPECT_TRUE(WaitForAllTasks(5000));
    }
    std::shared_ptr<CKinetraDoc> doc_;
};

// A one-pixel picture of its own.
inline PictureRef DotPicture(const std::string& name) {
    auto dot = std::make_shared<CPictureListItem>();
    dot->name = name;
    dot->header = {40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0};
    dot->header.resize(40);
    dot->rows = {0xFF, 0, 0xFF, 0};
    dot->width = dot->height = 1;
    return dot;
}

// Two pages ("page1", then "Robot", the current one) with every kind of
// object, each with settings of its own; a picture, procedures and named
// ports. The graph's curves hold the number of samples given.
inline void FillProject(CKinetraDoc& doc, int samples = 3000) {
    DocumentSettings& s = doc.Settings();
    s.password = "pw";
    s.setupFrame = {1, 2, 3, 4};
    s.proceduresFrame = {5, 6, 7, 8};
    s.pageFrame = {9, 10, 11, 12};
    s.pageColour = {10, 20, 30};
    s.proceduresColourFollowsSystem = 0;
    s.singlePage = 1;
    doc.Pictures().Add(DotPicture("dot"));
    doc.SetProceduresText("to go\r\nend\r\n");
    ASSERT_TRUE(doc.Setup().SetPortName(0, "Door"));
    ASSERT_TRUE(doc.Setup().SetToolType(0, 7));
    ASSERT_TRUE(doc.Setup().SetPortName(9, "Fan"));

    CTextBox& notes = *doc.NewObject(7, "notes", {1, 2}, {100, 50}).As<CTextBox>();
    notes.text = "caf\xC3\xA9\r\nline 2";
    notes.font.SetFaceName("Courier");
    notes.protectedText = 1;
    CGraph& chart = *doc.NewObject(2, "Chart", {3, 4}, {300, 200}).As<CGraph>();
    chart.xCaption = "Zeit";
    chart.curveFunctions[0] = "sensor 1";
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < samples; ++i) chart.curves[c].push_back(i * (c + 1) * 0.0625);
    ASSERT_TRUE(doc.NewObject(1, "photo", {5, 6}, {20, 20})
                    .As<CPictureBox>()
                    ->ShowPicture(doc.Pictures(), "dot"));
    doc.Pages()[0]->SetWallpaper("dot");

    doc.ActivatePage(doc.NewPage("Robot"));
    CSlider& speed = *doc.NewObject(4, "speed", {7, 8}, {120, 10}).As<CSlider>();
    speed.wholeNumbers = 0;
    speed.value = 6.5;
    speed.function = "setpower speed";
    CPageObject& go = doc.NewObject(3, "go", {40, 50}, {60, 20});
    go.ShowName(false);
    go.As<CPageButton>()->firstList = "talkto \"a on";
    go.As<CPageButton>()->secondList = "alloff";
    go.As<CPageButton>()->mode = 0;
    CMonitor& watch = *doc.NewObject(6, "watch", {9, 10}, {60, 18}).As<CMonitor>();
    watch.function = "timer";
    watch.textColour = {200, 0, 0};
}

// The bytes with the text field "from" (its length byte and characters)
// made the text "to".
inline std::vector<uint8_t> Replaced(std::vector<uint8_t> bytes, const std::string& from,
                                     const std::string& to) {
    std::vector<uint8_t> field{static_cast<uint8_t>(from.size())};
    field.insert(field.end(), from.begin(), from.end());
    const auto at = std::search(bytes.begin(), bytes.end(), field.begin(), field.end());
    EXPECT_NE(at, bytes.end()) << from;
    if (at == bytes.end()) return bytes;
    std::vector<uint8_t> replacement{static_cast<uint8_t>(to.size())};
    replacement.insert(replacement.end(), to.begin(), to.end());
    const auto index = at - bytes.begin();
    bytes.erase(at, at + static_cast<std::ptrdiff_t>(field.size()));
    bytes.insert(bytes.begin() + index, replacement.begin(), replacement.end());
    return bytes;
}
