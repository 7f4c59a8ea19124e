// Logo threads read the open project (a slider's value, a text box's text,
// the page and object names) while the main thread changes it. Run under
// ThreadSanitizer by tools/test.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "LogoTestPrimitives.h"
#include "ProjectTestSupport.h"

namespace {

class ProjectConcurrency : public ProjectTest {};

TEST_F(ProjectConcurrency, LogoReadsTheProjectWhileTheMainThreadChangesIt) {
    CSlider& speed = *doc_->NewObject(4, "speed", {}, {}).As<CSlider>();
    CTextBox& notes = *doc_->NewObject(7, "notes", {}, {}).As<CTextBox>();
    std::atomic<int> failures{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            try {
                Release(RunHere(
                    "repeat 300 [make \"v speed make \"t notes make \"p pages make \"o objects]"));
            } catch (const LogoError& e) {
                ADD_FAILURE() << ErrorText(e.handle);
                Release(e.handle);
                ++failures;
            }
        });
    }
    for (int i = 0; i < 300; ++i) {
        {
            auto hold = doc_->Lock();
            speed.value = i % 8;
            notes.text = std::string(i % 50, 'n');
        }
        CPage& page = doc_->NewPage();
        doc_->ActivatePage(page);
        CPageObject& other = doc_->NewObject(4, "other", {}, {});
        doc_->Rename(other, "another");
        doc_->ActivatePage(*doc_->Pages().front());
        doc_->RemovePage(page);
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(doc_->PageCount(), 1u);
    EXPECT_FALSE(doc_->LookupName("another"));
}

}  // namespace
