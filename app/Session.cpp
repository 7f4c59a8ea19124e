#include "app/Session.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LogoCore/BoxSeam.h"
#include "LogoCore/HandleData.h"
#include "LogoCore/LogoErrors.h"
#include "LogoCore/LogoTask.h"
#include "LogoCore/NameTable.h"
#include "app/ProjectNotices.h"
#include "box/BoxLink.h"
#include "box/BoxPrimitives.h"
#include "box/SampleRing.h"
#include "platform/MessageBox.h"
#include "platform/TextCatalog.h"
#include "project/KinetraDoc.h"
#include "project/ProceduresEditor.h"
#include "project/ProjectFiles.h"
#include "project/ProjectPrimitives.h"

namespace {

constexpr int kTextProjectNotReadable = 2110;
constexpr int kTextProceduresNotReadable = 2111;

// The project named on the command line, or a new one when it cannot be
// opened; the user is told why.
void OpenStartProject(const std::optional<std::string>& name) {
    if (name) {
        try {
            CKinetraDoc::OpenFile(WithDefaultExtension(*name));
            return;
        } catch (const LogoError& error) {
            const std::string reason = WithoutLineEnd(ErrorText(error.handle));
            Release(error.handle);
            platform::ShowMessage(
                platform::MessageKind::Error,
                platform::FormatResource(kTextProjectNotReadable, {*name, reason}));
        }
    }
    CKinetraDoc::NewProject();
}

// The file's text; none, with errno telling why, when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path) {
    // A directory opens as a stream, and reads as nothing.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        errno = EISDIR;
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

// The terminal's procedures page as the project document's editor: the file
// keeps CR LF line ends, the page the editor's LF.
class Session::PageEditor final : public ProceduresEditor {
  public:
    explicit PageEditor(ProceduresPage& page) : page_(page) {}
    std::string Text() override { return WithLineEnds(page_.Text(), "\r\n"); }
    void Load(const std::string& text) override {
        const std::string page = WithLineEnds(text, "\n");
        page_.SetText(page);
        DefineProceduresPage(page);
    }

  private:
    ProceduresPage& page_;
};

Session::Session(const SessionOptions& options)
    : centre_(RunForCommandCentre, WriteToTerminal), host_(centre_) {
    SetTaskHost(&host_);
    setup_.families = {CorePrimitiveFamily(), BoxPrimitiveFamily(), ProjectPrimitiveFamily()};
    setup_.port = options.port;
    setup_.openBox = OpenBoxAndReport;
    setup_.closeBox = ControlBox_Close;
    // The core's waiting primitives pace themselves by the box's frames.
    SetFrameWaiter([](int) { ControlBox_WaitFrame(); });
    InitLogoCore(setup_);
    margins_ = ReadPageMargins();

    editor_ = std::make_unique<PageEditor>(page_);
    SetProceduresEditor(editor_.get());
    OpenStartProject(options.project);
    RegisterProjectNotices();
    if (options.procedures) {
        if (auto text = ReadFile(*options.procedures)) {
            page_.SetText(*text);
            DefineProcedures(*text, false);
        } else
            platform::ShowMessage(
                platform::MessageKind::Error,
                platform::FormatResource(kTextProceduresNotReadable,
                                         {*options.procedures, std::strerror(errno)}));
    }
}

Session::~Session() {
    ExitLogoCore(setup_);
    SetProceduresEditor(nullptr);
    CKinetraDoc::CloseProject();
    WritePageMargins(margins_);
    SetTaskHost(nullptr);
}
