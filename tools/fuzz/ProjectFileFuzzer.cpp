// Feeds arbitrary bytes to the project file's reader. Whatever the bytes, a
// reading must end in a document or a Logo error, without a crash, a
// sanitizer report, a leak or an allocation the bytes do not pay for; and a
// document read must write a file that reads back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "platform/DataFiles.h"
#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The style names and the built-in pictures come from the data files.
    if (const auto file = platform::FindDataFile(platform::kResourceFileName))
        platform::ResourceLibrary().Load(*file, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<uint8_t> written;
    try {
        written = CKinetraDoc::Read(std::span(data, size), "fuzz.KXP")->Write();
    } catch (const LogoError& error) {
        Release(error.handle);
        return 0;
    }
    // What was written reads again, and writes the same once more.
    if (CKinetraDoc::Read(written, "again.KXP")->Write() != written) std::abort();
    return 0;
}
