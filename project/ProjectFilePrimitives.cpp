// Projects and files from Logo: closing, opening, saving and starting
// projects, the current directory, erasing and listing files. File names
// are the system's paths; a directory's name ends in '/'.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/PrimitiveSupport.h"
#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"
#include "project/PrimitiveInputs.h"
#include "project/ProceduresEditor.h"
#include "project/ProjectFiles.h"
#include "project/ProjectPrimitiveHandlers.h"
#include "project/ProjectRequests.h"

namespace {

constexpr int32_t kErrorNoPath = -60;
constexpr int32_t kErrorNoFile = -30;
constexpr int32_t kErrorMayNotDelete = -31;
constexpr int32_t kErrorFileExists = -62;
constexpr int32_t kErrorNoProjectFile = -63;

ProjectRequest Request(const std::string& calledName, std::string name = {}) {
    ProjectRequest request;
    request.calledName = calledName;
    request.name = std::move(name);
    return request;
}

std::string WorkingDirectory() {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    std::string text = error ? std::string() : here.string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

}  // namespace

CHandleData* CloseProjectPrimitive(CLogoTask*, CHandleData** inputs, int32_t option,
                                   const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const bool save = option != 0;
    if (save && doc->Path().empty()) RaiseError(kErrorNoPath, {});
    ProjectRequest request = Request(calledName);
    request.flag = save;
    Release(CallProject(kCloseProject, request));
    return nullptr;
}

CHandleData* NewProjectPrimitive(CLogoTask*, CHandleData** inputs, int32_t,
                                 const std::string& calledName) {
    HandlerInputs in(inputs);
    if (const auto doc = CKinetraDoc::Current(); doc && doc->Modified() && doc->Path().empty())
        RaiseError(kErrorNoPath, {});
    ProjectRequest request = Request(calledName);
    Release(CallProject(kNewProjectRequest, request));
    return nullptr;
}

CHandleData* OpenProjectPrimitive(CLogoTask*, CHandleData** inputs, int32_t option,
                                  const std::string& calledName) {
    HandlerInputs in(inputs);
    const bool saveFirst = option != 0;
    // A modified project that could not be saved under its path is refused
    // before anything else happens.
    if (const auto doc = CKinetraDoc::Current(); doc && doc->Modified() && doc->Path().empty())
        RaiseError(kErrorNoPath, {});
    const std::string path = WithDefaultExtension(WordInput(in[0], calledName));
    // Checked before the open project is touched: a name mistyped must not
    // cost the user anything.
    if (::access(path.c_str(), R_OK) != 0 || std::filesystem::is_directory(path))
        RaiseError(kErrorNoProjectFile, {path});
    ProjectRequest request = Request(calledName, path);
    request.flag = saveFirst;
    Release(CallProject(kOpenProject, request));
    return nullptr;
}

CHandleData* SaveProjectPrimitive(CLogoTask*, CHandleData** inputs, int32_t option,
                                  const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    ProjectRequest request = Request(calledName);
    if (option != 0) {
        request.name = WithProjectExtension(WordInput(in[0], calledName));
        std::error_code ignored;
        if (std::filesystem::exists(request.name, ignored))
            RaiseError(kErrorFileExists, {request.name});
    } else {
        request.name = doc->Path();
        if (request.name.empty()) RaiseError(kErrorNoPath, {});
    }
    Release(CallProject(kSaveProjectAs, request));
    return nullptr;
}

CHandleData* SetDirectory(CLogoTask*, CHandleData** inputs, int32_t,
                          const std::string& calledName) {
    HandlerInputs in(inputs);
    const std::string directory = WordInput(in[0], calledName);
    if (directory.empty() || ::chdir(directory.c_str()) != 0)
        RaiseWrongInput(calledName, directory);
    return nullptr;
}

CHandleData* CurrentDirectory(CLogoTask*, CHandleData** inputs, int32_t, const std::string&) {
    HandlerInputs in(inputs);
    return MakeWord(WorkingDirectory());
}

CHandleData* EraseFile(CLogoTask*, CHandleData** inputs, int32_t option,
                       const std::string& calledName) {
    HandlerInputs in(inputs);
    std::string name = WordInput(in[0], calledName);
    if (option != 0) name = WithDefaultExtension(name);
    if (::unlink(name.c_str()) == 0) return nullptr;
    switch (errno) {
        case ENOENT:
            RaiseError(kErrorNoFile, {name});
        case EACCES:
        case EPERM:
        case EROFS:
            RaiseError(kErrorMayNotDelete, {name});
        default:
            RaiseWrongInput(calledName, name);
    }
}

CHandleData* ListFiles(CLogoTask*, CHandleData** inputs, int32_t option, const std::string&) {
    HandlerInputs in(inputs);
    const std::string& extension = platform::ResourceText(option);
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(".", error)) {
        const std::string file = entry.path().filename().string();
        if (file.size() > extension.size() &&
            file.compare(file.size() - extension.size(), extension.size(), extension) == 0)
            names.push_back(file.substr(0, file.size() - extension.size()));
    }
    std::sort(names.begin(), names.end());
    return NameList(names);
}

CHandleData* ProjectNamePrimitive(CLogoTask*, CHandleData** inputs, int32_t,
                                  const std::string& calledName) {
    HandlerInputs in(inputs);
    return MakeWord(OpenDocumentFor(calledName)->Path());
}

CHandleData* LockProject(CLogoTask*, CHandleData** inputs, int32_t, const std::string& calledName) {
    HandlerInputs in(inputs);
    const auto doc = OpenDocumentFor(calledName);
    const std::string password = WordInput(in[0], calledName);
    {
        auto hold = doc->Lock();
        doc->Settings().locked = password.empty() ? 0 : 1;
        doc->Settings().password = password;
        doc->SetModified(true);
    }
    if (ProceduresEditor* editor = CurrentProceduresEditor())
        editor->SetReadOnly(!password.empty());
    return nullptr;
}
