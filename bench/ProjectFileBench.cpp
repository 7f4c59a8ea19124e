// Saving and opening a large project: 100 pages of 20 objects each, three
// graphs a page with four full curves of 3000 samples, and a few pictures.
// Each run reports, beside its time, the file's size and the most heap the
// operation held at once beyond what was held before it, so that memory
// can be judged against the file's size.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"
#include "project/ProjectFiles.h"

// Every allocation of the program is counted, so that the peak of an
// operation can be read off.
namespace {

std::atomic<std::size_t> gHeld{0};
std::atomic<std::size_t> gPeak{0};

void* Counted(std::size_t size) {
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (!block) throw std::bad_alloc();
    *block = size;
    const std::size_t held = gHeld.fetch_add(size) + size;
    for (std::size_t peak = gPeak.load();
         held > peak && !gPeak.compare_exchange_weak(peak, held);) {
    }
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void Uncounted(void* pointer) {
    if (!pointer) return;
    auto* block =
        reinterpret_cast<std::size_t*>(static_cast<char*>(pointer) - sizeof(std::max_align_t));
    gHeld.fetch_sub(*block);
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    return Counted(size);
}
void* operator new[](std::size_t size) {
    return Counted(size);
}
void operator delete(void* pointer) noexcept {
    Uncounted(pointer);
}
void operator delete[](void* pointer) noexcept {
    Uncounted(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Uncounted(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Uncounted(pointer);
}

namespace {

constexpr int kPages = 100;
constexpr int kPictures = 4;

// A 64 x 64 picture of 24-bit colour.
PictureRef Picture(int n) {
    auto picture = std::make_shared<CPictureListItem>();
    picture->name = "picture" + std::to_string(n);
    picture->width = picture->height = 64;
    picture->header.assign(40, 0);
    picture->header[0] = 40;
    picture->header[4] = picture->header[8] = 64;
    picture->header[12] = 1;
    picture->header[14] = 24;
    picture->rows.assign(64 * 64 * 3, static_cast<uint8_t>(n * 40));
    return picture;
}

std::shared_ptr<CKinetraDoc> LargeProject() {
    static bool loaded = [] {
        if (const auto file = platform::FindDataFile(platform::kResourceFileName))
            platform::ResourceLibrary().Load(*file, nullptr);
        return true;
    }();
    (void)loaded;
    auto doc = CKinetraDoc::NewProject();
    for (int n = 0; n < kPictures; ++n) doc->Pictures().Add(Picture(n));
    doc->SetProceduresText(std::string(20000, 'x'));
    // Of each page's 20 objects: 3 graphs, then 17 of the other kinds.
    static constexpr int32_t kOthers[] = {7, 7, 7, 7, 4, 4, 4, 4, 3, 3, 3, 6, 6, 6, 1, 1, 1};
    for (int p = 0; p < kPages; ++p) {
        if (p > 0) doc->ActivatePage(doc->NewPage());
        const std::string page = std::to_string(p);
        for (int g = 0; g < 3; ++g) {
            CGraph& graph =
                *doc->NewObject(2, "g" + page + "_" + std::to_string(g), {g * 220, 0}, {210, 180})
                     .As<CGraph>();
            for (auto& curve : graph.curves)
                for (int i = 0; i < 3000; ++i) curve.push_back(i * 0.5);
        }
        int n = 0;
        for (const int32_t type : kOthers) {
            CPageObject& object =
                doc->NewObject(type, "o" + page + "_" + std::to_string(n), {n * 10, 200}, {60, 20});
            if (CTextBox* box = object.As<CTextBox>()) box->text = std::string(200, 't');
            if (CPictureBox* box = object.As<CPictureBox>())
                box->ShowPicture(doc->Pictures(), "picture" + std::to_string(n % kPictures));
            ++n;
        }
    }
    return doc;
}

std::string ScratchFile() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("kinetra-bench-" + std::to_string(::getpid()) + ".KXP"))
                                        .string();
    return path;
}

void Report(benchmark::State& state, std::size_t fileBytes, std::size_t peakBytes) {
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["peak_MB"] = peakBytes / 1e6;
    state.counters["peak_per_file"] = static_cast<double>(peakBytes) / fileBytes;
}

// Writing the file's bytes and saving them safely (flushed to the disk).
void BM_SaveLargeProject(benchmark::State& state) {
    const auto doc = LargeProject();
    std::size_t peak = 0, size = 0;
    for (auto _ : state) {
        const std::size_t before = gHeld.load();
        gPeak.store(before);
        doc->SaveAs(ScratchFile());
        peak = std::max(peak, gPeak.load() - before);
    }
    size = std::filesystem::file_size(ScratchFile());
    Report(state, size, peak);
    CKinetraDoc::CloseProject();
}
BENCHMARK(BM_SaveLargeProject)->Unit(benchmark::kMillisecond);

// Reading the file and making it the open project.
void BM_OpenLargeProject(benchmark::State& state) {
    LargeProject()->SaveAs(ScratchFile());
    const std::string home = std::filesystem::current_path().string();
    std::size_t peak = 0;
    for (auto _ : state) {
        CKinetraDoc::CloseProject();
        const std::size_t before = gHeld.load();
        gPeak.store(before);
        CKinetraDoc::OpenFile(ScratchFile());
        peak = std::max(peak, gPeak.load() - before);
    }
    Report(state, std::filesystem::file_size(ScratchFile()), peak);
    CKinetraDoc::CloseProject();
    std::filesystem::current_path(home);
    std::filesystem::remove(ScratchFile());
}
BENCHMARK(BM_OpenLargeProject)->Unit(benchmark::kMillisecond);

}  // namespace
