#pragma once
// The widget's popup menu as a tree of entries, independent of how the platform draws it: the
// fixed tree made with the main window, the check-mark rules of a click, which separators show,
// the accelerator letters given at each opening, and the skin and sound lists rebuilt from the
// folder listings before the menu opens.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"

namespace tindrel {

// What the main window runs when an entry is chosen.
enum class MenuCommand {
  kNone,
  kAbout,
  kTellAFriend,
  kDownloadGlobe,
  kDownloadWreath,
  kShowHide,
  kDueDate,
  kSelectSkin,
  kSelectSound,
  kFont,
  kStartup,
  kOnTop,
  kDisplayShadow,
  kExit,
};

class MenuItem {
 public:
  MenuItem(std::string name, std::string caption, MenuCommand command = MenuCommand::kNone);
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  std::string name;
  // The caption as drawn, with the "&" of the accelerator once its menu has been opened.
  std::string caption;
  MenuCommand command;
  bool radio = false;
  bool auto_check = false;
  int group = 0;
  int tag = 0;
  bool is_default = false;

  bool IsSeparator() const { return caption == "-"; }
  // An entry opens a submenu when it has sub-entries.
  bool HasSubmenu() const { return !items_.empty(); }

  bool checked() const { return checked_; }
  // Checking a radio entry unchecks the other radio entries of its group in the same submenu.
  void SetChecked(bool checked);

  MenuItem* parent() const { return parent_; }
  const std::vector<std::unique_ptr<MenuItem>>& items() const { return items_; }
  MenuItem& item(std::size_t index) const { return *items_.at(index); }
  std::size_t count() const { return items_.size(); }

  // Appends a sub-entry, which this entry then owns.
  MenuItem& Add(std::unique_ptr<MenuItem> entry);
  // Destroys the sub-entries after the first `keep`, the last one first.
  void TruncateItems(std::size_t keep);

 private:
  bool checked_ = false;
  MenuItem* parent_ = nullptr;
  std::vector<std::unique_ptr<MenuItem>> items_;
};

// Identifiers of the fixed entries whose marks are not stored (those are item_names): they never
// leave the program, and the code and its tests find the entries by them.
namespace menu_names {
inline constexpr const char* kPopupMenu = "PopupMenu1";
inline constexpr const char* kAbout = "About1";
inline constexpr const char* kTellAFriend = "ellaFriend1";
inline constexpr const char* kDownloadMenu = "Download1";
inline constexpr const char* kDownloadGlobe = "DownloadGlobe1";
inline constexpr const char* kDownloadWreath = "DownloadWreath1";
inline constexpr const char* kDueDateMenu = "DueDate1";
inline constexpr const char* kSkinsMenu = "Skins1";
inline constexpr const char* kSoundsMenu = "Sounds1";
inline constexpr const char* kFont = "Font1";
inline constexpr const char* kSettingsMenu = "Settings1";
inline constexpr const char* kExit = "Exit1";
// The separators, named for what they stand after.
inline constexpr const char* kSeparatorAfterDownloads = "N1";
inline constexpr const char* kSeparatorAfterDueDates = "N3";
inline constexpr const char* kSeparatorAfterSchedule = "N5";
inline constexpr const char* kSeparatorAfterFont = "N4";
inline constexpr const char* kSeparatorAfterSettings = "N2";
}  // namespace menu_names

// The whole fixed tree in menu order, with the marks of a first start. The due-date captions
// carry the years of the menu's definition until SetDueDateCaptions replaces them.
std::unique_ptr<MenuItem> BuildPopupMenu();

// Gives the four due-date entries their prefix and the year of the next occurrence from `now`.
void SetDueDateCaptions(MenuItem& root, DateTime now);

// Entries are found by their identifiers, never by their captions, which change with the
// accelerator marks and the due dates' years.
// A fixed entry anywhere in the tree by its identifier; list entries (skins and sounds) are not
// looked at, so a file named like a fixed entry cannot stand in for it. Null when there is none.
MenuItem* FindByName(const MenuItem& root, const std::string& name);
// FindByName for an entry that must exist; throws tindrel::Error otherwise.
MenuItem& EntryNamed(const MenuItem& root, const std::string& name);
// A direct sub-entry by identifier, list entries included.
MenuItem* FindChildByName(const MenuItem& menu, const std::string& name);

// The caption without accelerator marks ("&&", a literal ampersand, stays).
std::string StripAccelerator(const std::string& caption);

// The check-mark change of a click, made before the entry's command runs: an auto-check entry
// flips its mark, a checked radio entry included (its group is then left with none checked),
// except a checked due date, which stays checked.
void ApplyAutoCheck(MenuItem& entry);

// The sub-entries shown when the menu opens: separators at the start or end, or directly after
// another shown separator, are left out.
std::vector<MenuItem*> VisibleEntries(const MenuItem& menu);

// Gives the sub-entries of one (sub)menu distinct accelerator letters and writes each as "&"
// before its letter into the caption, replacing any earlier mark. The first letter of a word is
// preferred, then any other letter or digit, in menu order; an entry left without a free letter
// gets no mark.
void AssignAccelerators(MenuItem& menu);

// An identifier: an ASCII letter or underscore, then ASCII letters, digits and underscores. The
// empty name is let through.
bool IsValidComponentName(const std::string& name);

// The file name without its last extension ("old.winter.png" gives "old.winter").
std::string BaseName(const std::string& file_name);

// Appends a list entry for a base name: caption and identifier the name, radio, not auto-check,
// checked when the name equals the current one exactly. Throws tindrel::Error
// "''<name>'' is not a valid component name" for a name that is no identifier.
MenuItem& AddSkinMenuItem(MenuItem& skins_menu, const std::string& name,
                          const std::string& current_skin);
MenuItem& AddSoundMenuItem(MenuItem& sounds_menu, const std::string& name,
                           const std::string& current_sound);

// What the rebuild at opening reads: the file names the two folder listings gave, in listing
// order, and the current skin and sound names.
struct MenuListSources {
  std::vector<std::string> skin_files;
  std::vector<std::string> sound_files;
  std::string skin_name;
  std::string sound_name;
};

// Rebuilds the Skins submenu and the sound list at the end of the Sounds submenu. A file whose
// base name is no identifier is left out; the error text of each such file is returned, once per
// rebuild, for the error report, and the menu opens with all other entries.
std::vector<std::string> RebuildMenuLists(MenuItem& root, const MenuListSources& sources);

}  // namespace tindrel
