// The project document: everything a user builds and keeps. There is only
// ever one open project; it is what the interpreter's primitives reach
// through OpenProject() and the box's words through ActiveSetup().
//
// It holds the persistent settings, the picture library, the procedures
// text, the box setup, the pages with their objects, and the name table in
// which every page object and named port has its name, across all pages.
//
// The main thread changes the document; Logo threads read it (a slider's
// value, a text box's text, the page names). Every operation takes the
// document's lock; a caller that reads several things at once holds Lock().
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "LogoCore/ProjectAccess.h"
#include "box/SensorSetup.h"
#include "project/FontRecord.h"
#include "project/Geometry.h"
#include "project/Page.h"
#include "project/PictureLibrary.h"
#include "project/ProjectNames.h"

// The document's own persistent settings, in the order of the file.
struct DocumentSettings {
    int32_t locked = 0;
    std::string password;  // kept in plain text
    PageRect setupFrame;
    PageRect proceduresFrame;
    PageRect pageFrame;
    Colour pageColour = kWindowColour;
    int32_t pageColourFollowsSystem = 1;
    Colour proceduresColour = kWindowColour;
    int32_t proceduresColourFollowsSystem = 1;
    int32_t singlePage = 0;
    bool operator==(const DocumentSettings&) const = default;
};

// How the procedures page shows its text, as Logo set it; not saved.
struct ProceduresLook {
    FontRecord font;
    Colour textColour = kBlack;
};

class CKinetraDoc final : public ProjectAccess, public SetupNames {
  public:
    static constexpr const char* kClassName = "CKinetraDoc";
    // The id the reserved name "procedures" stands for; no page object has it.
    static constexpr int32_t kProceduresPage = 2147483647;
    static constexpr std::size_t kMaxPages = 100;

    // A new project with its first page: it closes the open one and becomes
    // the open project.
    static std::shared_ptr<CKinetraDoc> NewProject();
    // Closes the open project, if any: its names and words leave the
    // interpreter, and its procedures go.
    static void CloseProject();
    // The open project; null when none is open.
    static std::shared_ptr<CKinetraDoc> Current();

    // The project file. Read makes a new document that is not open: nothing
    // of the open project, the interpreter or the box changes, whatever the
    // bytes. A file that cannot be read raises a Logo error naming the file
    // (-45 damaged or not a project, -49 a newer version, -21 a name twice,
    // -28 an unknown slider style).
    static std::shared_ptr<CKinetraDoc> Read(std::span<const uint8_t> bytes,
                                             const std::string& fileName);
    // The bytes of the file, version 13.
    std::vector<uint8_t> Write() const;
    // Makes a document that Read made the open project, in place of the
    // open one. Names the interpreter refuses now (a global variable of the
    // same name) are shown to the user and left out.
    static void Install(std::shared_ptr<CKinetraDoc> doc);
    // Reads the file (raising as ReadProjectFile and Read do, with nothing
    // changed), makes it the open project and its folder the current
    // directory.
    static std::shared_ptr<CKinetraDoc> OpenFile(const std::string& path);
    // Saves under the path (raising as SaveFileSafely does, with the old
    // file intact); the path becomes the project's and it counts as saved.
    void SaveAs(const std::string& path);

    CKinetraDoc(const CKinetraDoc&) = delete;
    CKinetraDoc& operator=(const CKinetraDoc&) = delete;
    ~CKinetraDoc() override = default;

    std::unique_lock<std::recursive_mutex> Lock() const {
        return std::unique_lock<std::recursive_mutex>(lock_);
    }

    CProjectNames& Names() { return names_; }
    CSetupData& Setup() { return setup_; }
    const CSetupData& Setup() const { return setup_; }
    ProceduresLook& Procedures() { return proceduresLook_; }
    DocumentSettings& Settings() { return settings_; }
    const DocumentSettings& Settings() const { return settings_; }
    CPictureLibrary& Pictures() { return pictures_; }
    const CPictureLibrary& Pictures() const { return pictures_; }

    // The procedures text: the editor's while one is installed and this is
    // the open project, else the text last read or set.
    std::string ProceduresText() const;
    void SetProceduresText(std::string text);

    // The full file name under which the project was last saved or opened;
    // empty for one never saved.
    std::string Path() const;
    void SetPath(std::string path);
    bool Modified() const { return modified_.load(); }
    void SetModified(bool modified) { modified_.store(modified); }

    // Pages.
    std::size_t PageCount() const;
    std::vector<std::string> PageNames() const;
    CPage* FindPage(std::string_view name) const;  // exact name
    CPage* CurrentPage() const;
    int CurrentPageIndex() const;
    const std::vector<std::unique_ptr<CPage>>& Pages() const { return pages_; }
    // Raises -25 when the project has its hundred pages. Without a name the
    // page is named from text 2003 with the first free number.
    CPage& NewPage(std::string name = {});
    void ActivatePage(CPage& page);
    // Its objects go with it; when it was the current page the one after it
    // (or before it, when it was the last) becomes current.
    void RemovePage(CPage& page);
    // Deletes every object of the page.
    void ClearPage(CPage& page);

    // Page objects. New objects go onto the current page: the name must be
    // free (-21), the type one of the six (-15).
    CPageObject& NewObject(int32_t type, const std::string& name, PagePoint at, PageSize size);
    // The rename rules: the same name does nothing; another spelling of it
    // or a name free in both name tables is taken, else -21. A slider's and
    // a text box's name is also a Logo word while the project is open.
    void Rename(CPageObject& object, const std::string& name);
    void Delete(CPageObject& object);
    // Takes the object off its page as Delete does (its activity stopped,
    // its name gone), but hands it over whole so that it can come back with
    // Adopt, its serial number unchanged. Null when it is on no page.
    std::unique_ptr<CPageObject> Detach(CPageObject& object);
    // Puts an object made elsewhere (pasted, or detached) on the page at
    // the index of its list, under the name; a name taken raises -21 and
    // leaves the page as it was.
    CPageObject& Adopt(CPage& page, std::unique_ptr<CPageObject> object, const std::string& name,
                       std::size_t index);
    void Move(CPageObject& object, PagePoint at);
    void Resize(CPageObject& object, PageSize size, bool fromLogo);
    CPageObject* FindObject(std::string_view name) const;  // any letter case
    CPageObject* FindObject(int32_t serial) const;
    CPage* PageOf(const CPageObject& object) const;
    // The base followed by the first number that makes a free name.
    std::string UniqueName(const std::string& base) const;
    // Whether the interpreter's name table keeps the name from an object:
    // anything but a user's word while the project is open; while it is
    // being read, only a built-in primitive (the open project's procedures,
    // variables and words go before this one opens).
    bool InterpreterHolds(const std::string& name) const;

    // ProjectAccess.
    std::optional<ProjectName> LookupName(std::string_view lowerName) override;
    std::vector<std::string> PageObjectNames() override;
    std::string PageObjectName(int32_t object) override;
    bool IsProceduresPage(int32_t object) override { return object == kProceduresPage; }

    // SetupNames.
    void EnterPortName(const std::string& name, int32_t portValue) override;
    void RemovePortName(const std::string& name) override;
    bool HasName(const std::string& name) override { return names_.Has(name); }

  private:
    CKinetraDoc();
    // Switches the open project to doc (null: none).
    static void Switch(std::shared_ptr<CKinetraDoc> doc);
    // The object's name enters the name table (and its word, while open).
    void EnterObjectName(CPageObject& object, const std::string& name);
    std::unique_ptr<CPageObject> DeleteLocked(CPage& page, CPageObject& object);
    void ReadBody(platform::ArchiveReader& in, int32_t version);
    void CheckPortNames(const SetupBlock& block);

    mutable std::recursive_mutex lock_;
    DocumentSettings settings_;
    ProceduresLook proceduresLook_;
    CPictureLibrary pictures_;
    std::string proceduresText_;
    std::vector<std::unique_ptr<CPage>> pages_;
    int current_ = -1;
    std::string path_;
    std::atomic<bool> modified_{false};
    // Set while this is the open project: names are then also Logo words.
    bool open_ = false;
    // The setup block of a file read, applied when the document opens.
    std::optional<SetupBlock> pendingSetup_;

    // The setup is declared after the names: it removes its port names
    // from them when it goes.
    CProjectNames names_;
    CSetupData setup_;
};
