#include "app/menu_model.h"

#include <algorithm>
#include <utility>

#include "app/countdown.h"
#include "base/ascii_case.h"
#include "base/error.h"
#include "base/stored_names.h"

namespace tindrel {
namespace {

constexpr int kDueDateGroup = 5;
constexpr int kScheduleGroup = 1;
constexpr std::size_t kFixedSoundEntries = 4;
constexpr const char* kInvalidComponentName = "''%s'' is not a valid component name";

// Fluent construction of the fixed tree.
class Entry {
 public:
  Entry(std::string name, std::string caption, MenuCommand command = MenuCommand::kNone)
      : item_(std::make_unique<MenuItem>(std::move(name), std::move(caption), command)) {}
  Entry&& Checked() && {
    item_->SetChecked(true);
    return std::move(*this);
  }
  Entry&& AutoCheck() && {
    item_->auto_check = true;
    return std::move(*this);
  }
  Entry&& Radio(int group) && {
    item_->radio = true;
    item_->group = group;
    return std::move(*this);
  }
  Entry&& Tag(int tag) && {
    item_->tag = tag;
    return std::move(*this);
  }
  Entry&& Default() && {
    item_->is_default = true;
    return std::move(*this);
  }
  Entry&& Sub(Entry&& entry) && {
    item_->Add(std::move(entry).Take());
    return std::move(*this);
  }
  std::unique_ptr<MenuItem> Take() && { return std::move(item_); }

 private:
  std::unique_ptr<MenuItem> item_;
};

Entry Separator(std::string name) {
  return Entry(std::move(name), "-");
}

Entry DueDateEntry(const DueDateChoice& choice, const char* definition_year) {
  return Entry(choice.item_name, std::string(choice.caption_prefix) + definition_year,
               MenuCommand::kDueDate)
      .AutoCheck()
      .Radio(kDueDateGroup)
      .Tag(choice.tag);
}

Entry ScheduleEntry(std::string name, std::string caption) {
  return Entry(std::move(name), std::move(caption)).AutoCheck().Radio(kScheduleGroup);
}

Entry SettingEntry(std::string name, std::string caption, MenuCommand command) {
  return Entry(std::move(name), std::move(caption), command).AutoCheck().Checked();
}

bool IsListEntry(const MenuItem& item) {
  return item.command == MenuCommand::kSelectSkin || item.command == MenuCommand::kSelectSound;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsAsciiAlphanumeric(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c);
}

bool StartsWord(const std::string& text, std::size_t at) {
  return at == 0 || text[at - 1] == ' ';
}

// The position of the accelerator letter in a caption without marks, or npos when every letter
// is taken.
std::size_t ChooseAccelerator(const std::string& plain, const std::string& used) {
  const auto is_free = [&](std::size_t at) {
    return IsAsciiAlphanumeric(plain[at]) && used.find(AsciiLower(plain[at])) == std::string::npos;
  };
  for (std::size_t at = 0; at < plain.size(); ++at) {
    if (StartsWord(plain, at) && is_free(at)) return at;
  }
  for (std::size_t at = 0; at < plain.size(); ++at) {
    if (is_free(at)) return at;
  }
  return std::string::npos;
}

MenuItem& AddListEntry(MenuItem& menu, const std::string& name, const std::string& current,
                       MenuCommand command) {
  if (!IsValidComponentName(name)) throw Error(FormatMessage1(kInvalidComponentName, name));
  auto entry = std::make_unique<MenuItem>(name, name, command);
  entry->radio = true;
  MenuItem& added = menu.Add(std::move(entry));
  if (name == current) added.SetChecked(true);
  return added;
}

// Adds an entry per file in listing order; files that cannot become entries are reported.
template <typename AddEntry>
void AddListEntries(const std::vector<std::string>& files, AddEntry add_entry,
                    std::vector<std::string>& errors) {
  for (const std::string& file : files) {
    try {
      add_entry(BaseName(file));
    } catch (const Error& error) {
      errors.emplace_back(error.what());
    }
  }
}

}  // namespace

MenuItem::MenuItem(std::string name_, std::string caption_, MenuCommand command_)
    : name(std::move(name_)), caption(std::move(caption_)), command(command_) {}

void MenuItem::SetChecked(bool checked) {
  checked_ = checked;
  if (!checked || !radio || parent_ == nullptr) return;
  for (const auto& sibling : parent_->items_) {
    if (sibling.get() != this && sibling->radio && sibling->group == group) {
      sibling->checked_ = false;
    }
  }
}

MenuItem& MenuItem::Add(std::unique_ptr<MenuItem> entry) {
  entry->parent_ = this;
  items_.push_back(std::move(entry));
  MenuItem& added = *items_.back();
  // An entry that arrives checked keeps its group's single mark.
  if (added.checked_) added.SetChecked(true);
  return added;
}

void MenuItem::TruncateItems(std::size_t keep) {
  while (items_.size() > keep) items_.pop_back();
}

std::unique_ptr<MenuItem> BuildPopupMenu() {
  const auto& due = DueDateChoices();
  return Entry(menu_names::kPopupMenu, "")
      .Sub(Entry(menu_names::kAbout, "About...", MenuCommand::kAbout))
      .Sub(
          Entry(menu_names::kTellAFriend, "Merry Christmas a Friend...", MenuCommand::kTellAFriend))
      .Sub(Entry(menu_names::kDownloadMenu, "Download")
               .Sub(Entry(menu_names::kDownloadGlobe, "Snow Globe Screensaver",
                          MenuCommand::kDownloadGlobe))
               .Sub(Entry(menu_names::kDownloadWreath, "Winter Wreath Wallpaper",
                          MenuCommand::kDownloadWreath)))
      .Sub(Separator(menu_names::kSeparatorAfterDownloads))
      .Sub(Entry(item_names::kShowHide, "Show/Hide", MenuCommand::kShowHide).Default())
      .Sub(Entry(menu_names::kDueDateMenu, "Due Date")
               .Sub(DueDateEntry(due[0], "2007"))
               .Sub(DueDateEntry(due[1], "2007").Checked())
               .Sub(DueDateEntry(due[2], "2008"))
               .Sub(DueDateEntry(due[3], "2008"))
               .Sub(Separator(menu_names::kSeparatorAfterDueDates)))
      .Sub(Entry(menu_names::kSkinsMenu, "Skins"))
      .Sub(Entry(menu_names::kSoundsMenu, "Sounds")
               .Sub(ScheduleEntry(item_names::kChimeEveryHour, "Every Hour").Checked())
               .Sub(ScheduleEntry(item_names::kChimeEveryHalfHour, "Every Half Hour"))
               .Sub(ScheduleEntry(item_names::kChimeNever, "Never"))
               .Sub(Separator(menu_names::kSeparatorAfterSchedule)))
      .Sub(Entry(menu_names::kFont, "Font...", MenuCommand::kFont))
      .Sub(Separator(menu_names::kSeparatorAfterFont))
      .Sub(Entry(menu_names::kSettingsMenu, "Settings")
               .Sub(SettingEntry(item_names::kStartWithSystem, "Load at Startup",
                                 MenuCommand::kStartup))
               .Sub(SettingEntry(item_names::kAlwaysOnTop, "Always On Top", MenuCommand::kOnTop))
               .Sub(SettingEntry(item_names::kDisplayShadow, "Display Shadow",
                                 MenuCommand::kDisplayShadow))
               .Sub(SettingEntry(item_names::kShowDays, "Show Days Remaining", MenuCommand::kNone))
               .Sub(SettingEntry(item_names::kShowStars, "Show Stars", MenuCommand::kNone)))
      .Sub(Separator(menu_names::kSeparatorAfterSettings))
      .Sub(Entry(menu_names::kExit, "Exit", MenuCommand::kExit))
      .Take();
}

void SetDueDateCaptions(MenuItem& root, DateTime now) {
  for (const DueDateChoice& choice : DueDateChoices()) {
    EntryNamed(root, choice.item_name).caption = DueDateCaption(choice, now);
  }
}

MenuItem* FindByName(const MenuItem& root, const std::string& name) {
  for (const auto& item : root.items()) {
    if (IsListEntry(*item)) continue;
    if (item->name == name) return item.get();
    if (MenuItem* found = FindByName(*item, name)) return found;
  }
  return nullptr;
}

MenuItem& EntryNamed(const MenuItem& root, const std::string& name) {
  MenuItem* found = FindByName(root, name);
  if (found == nullptr) throw Error("The menu has no entry " + name);
  return *found;
}

MenuItem* FindChildByName(const MenuItem& menu, const std::string& name) {
  for (const auto& item : menu.items()) {
    if (item->name == name) return item.get();
  }
  return nullptr;
}

std::string StripAccelerator(const std::string& caption) {
  std::string plain;
  plain.reserve(caption.size());
  for (std::size_t at = 0; at < caption.size(); ++at) {
    if (caption[at] != '&') {
      plain.push_back(caption[at]);
    } else if (at + 1 < caption.size() && caption[at + 1] == '&') {
      plain.append("&&");
      ++at;
    }
  }
  return plain;
}

void ApplyAutoCheck(MenuItem& entry) {
  if (!entry.auto_check) return;
  // The countdown always has a holiday: a click on the ticked one keeps its tick, and its command
  // applies it again.
  if (entry.checked() && entry.radio && entry.group == kDueDateGroup) return;
  entry.SetChecked(!entry.checked());
}

std::vector<MenuItem*> VisibleEntries(const MenuItem& menu) {
  std::vector<MenuItem*> shown;
  for (const auto& item : menu.items()) {
    if (item->IsSeparator() && (shown.empty() || shown.back()->IsSeparator())) continue;
    shown.push_back(item.get());
  }
  while (!shown.empty() && shown.back()->IsSeparator()) shown.pop_back();
  return shown;
}

void AssignAccelerators(MenuItem& menu) {
  std::string used;
  for (const auto& item : menu.items()) {
    if (item->IsSeparator()) continue;
    std::string plain = StripAccelerator(item->caption);
    const std::size_t at = ChooseAccelerator(plain, used);
    if (at != std::string::npos) {
      used.push_back(AsciiLower(plain[at]));
      plain.insert(at, 1, '&');
    }
    item->caption = std::move(plain);
  }
}

bool IsValidComponentName(const std::string& name) {
  if (name.empty()) return true;
  if (!IsAsciiLetter(name[0]) && name[0] != '_') return false;
  return std::all_of(name.begin() + 1, name.end(),
                     [](char c) { return IsAsciiAlphanumeric(c) || c == '_'; });
}

std::string BaseName(const std::string& file_name) {
  const std::size_t dot = file_name.rfind('.');
  return dot == std::string::npos ? file_name : file_name.substr(0, dot);
}

MenuItem& AddSkinMenuItem(MenuItem& skins_menu, const std::string& name,
                          const std::string& current_skin) {
  return AddListEntry(skins_menu, name, current_skin, MenuCommand::kSelectSkin);
}

MenuItem& AddSoundMenuItem(MenuItem& sounds_menu, const std::string& name,
                           const std::string& current_sound) {
  return AddListEntry(sounds_menu, name, current_sound, MenuCommand::kSelectSound);
}

std::vector<std::string> RebuildMenuLists(MenuItem& root, const MenuListSources& sources) {
  MenuItem& skins = EntryNamed(root, menu_names::kSkinsMenu);
  MenuItem& sounds = EntryNamed(root, menu_names::kSoundsMenu);

  std::vector<std::string> errors;
  skins.TruncateItems(0);
  AddListEntries(
      sources.skin_files,
      [&](const std::string& name) { AddSkinMenuItem(skins, name, sources.skin_name); }, errors);
  sounds.TruncateItems(kFixedSoundEntries);
  AddListEntries(
      sources.sound_files,
      [&](const std::string& name) { AddSoundMenuItem(sounds, name, sources.sound_name); }, errors);
  return errors;
}

}  // namespace tindrel
