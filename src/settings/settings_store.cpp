#include "settings/settings_store.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "base/ascii_case.h"
#include "base/error.h"

namespace tindrel {
namespace {

constexpr char kCreateKeyFailed[] = "Failed to create key %s";
constexpr char kSetDataFailed[] = "Failed to set data for '%s'";
constexpr char kInvalidDataType[] = "Invalid data type for '%s'";

// An optional sign and decimal digits, nothing else, within the 32-bit signed range.
std::optional<std::int32_t> ParseDecimal(const std::string& text) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) at = 1;
  if (at == text.size()) return std::nullopt;
  std::int64_t magnitude = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return std::nullopt;
    magnitude = magnitude * 10 + (text[at] - '0');
    if (magnitude > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
      return std::nullopt;
    }
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// Words of a stored position: runs of characters between commas and blanks.
std::vector<std::string> SplitPositionWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (const char c : text + ",") {
    if (c != ',' && c != ' ') {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  return words;
}

int WordAsNumber(const std::vector<std::string>& words, std::size_t index, int fallback) {
  if (index >= words.size()) return fallback;
  return ParseDecimal(words[index]).value_or(fallback);
}

std::string FormatPositions(int a, int b, int c, int d) {
  return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," +
         std::to_string(d);
}

// Blanks and control characters (every byte up to the blank) at either end are dropped.
std::string TrimBlanksAndControls(const std::string& text) {
  const auto is_padding = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && is_padding(text[first])) ++first;
  while (last > first && is_padding(text[last - 1])) --last;
  return text.substr(first, last - first);
}

// Right and bottom always follow the window's current size; a corner so far out that the far edge
// leaves the 32-bit range cannot be placed.
std::optional<PlacementRect> SizedToWindow(const PlacementRect& stored,
                                           const WindowBounds& bounds) {
  const std::int64_t right = std::int64_t{stored.left} + bounds.width;
  const std::int64_t bottom = std::int64_t{stored.top} + bounds.height;
  constexpr std::int64_t kMax = std::numeric_limits<int>::max();
  if (right > kMax || bottom > kMax) return std::nullopt;
  PlacementRect rect = stored;
  rect.right = static_cast<int>(right);
  rect.bottom = static_cast<int>(bottom);
  return rect;
}

}  // namespace

std::string StoredMarkValueName(const std::string& item) {
  return item + "_Checked";
}

SettingsStore::SettingsStore(Registry& registry, SettingsWindow& window)
    : registry_(registry), window_(window) {}

void SettingsStore::LoadSettings() {
  saved_ = false;
  // Reading needs only read access, so a product key that cannot be created or opened for writing
  // still loads; what is missing reads as its default.
  registry_.CreateKey(kProductKey);
  if (ReadNumber("FormVersion", 0) >= kFormVersion) {
    RestorePosition();
    RestoreState();
    // Once the window stands where it was left, saving it can no longer lose the stored place.
    loaded_ = true;
    RestoreCheckMarks();
    if (after_load) after_load();
  }
  loaded_ = true;
}

void SettingsStore::RestorePosition() {
  WindowPlacementData placement = window_.GetPlacement();
  // Applying the placement before the window is shown must move it without showing it.
  if (!window_.IsWindowVisible()) placement.show_cmd = kShowHide;
  placement.flags =
      static_cast<std::uint32_t>(ReadNumber("Flags", static_cast<std::int32_t>(placement.flags)));

  const WindowBounds bounds = window_.CurrentBounds();
  bool found = false;
  if (const auto words = StoredPositionWords("MinMaxPos")) {
    found = true;
    placement.min_position = {WordAsNumber(*words, 0, 0), WordAsNumber(*words, 1, 0)};
    placement.max_position = {WordAsNumber(*words, 2, 0), WordAsNumber(*words, 3, 0)};
  }
  if (const auto words = StoredPositionWords("NormPos")) {
    found = true;
    placement.normal_position = {WordAsNumber(*words, 0, bounds.left),
                                 WordAsNumber(*words, 1, bounds.top),
                                 WordAsNumber(*words, 2, bounds.left + bounds.width),
                                 WordAsNumber(*words, 3, bounds.top + bounds.height)};
  }
  const std::int32_t own_pixels_per_inch = window_.PixelsPerInch();
  const std::int32_t stored_pixels_per_inch = ReadNumber("PixelsPerInch", own_pixels_per_inch);
  // A position stored under another pixels-per-inch setting does not fit this screen.
  if (!found || stored_pixels_per_inch != own_pixels_per_inch) return;

  // The widget has no sizing border: its size follows the skin and caption, never the store.
  const auto rect = SizedToWindow(placement.normal_position, bounds);
  if (!rect || rect->left >= rect->right) return;
  placement.normal_position = *rect;
  window_.SetPlacement(placement);
}

void SettingsStore::RestoreState() {
  switch (ReadNumber("ShowCmd", 0)) {
    case 3:
      window_.SetWindowState(WindowState::kMaximized);
      break;
    default:
      // A minimised state (2, 6, 7) included: a widget has nothing to minimise to, and minimising
      // the hidden application window would only leave a stray stub on the desktop.
      window_.SetWindowState(WindowState::kNormal);
      break;
  }
}

void SettingsStore::RestoreCheckMarks() {
  for (const char* item : kStoredMarkItems) {
    const std::string current = window_.IsChecked(item) ? "True" : "False";
    // A mark of the wrong type is passed over silently, like any unreadable mark.
    const std::string text =
        TrimBlanksAndControls(StoredText(StoredMarkValueName(item), false).value_or(current));
    if (EqualsIgnoringAsciiCase(text, "True")) {
      window_.SetChecked(item, true);
    } else if (EqualsIgnoringAsciiCase(text, "False")) {
      window_.SetChecked(item, false);
    }
  }
}

void SettingsStore::SaveSettings() {
  Save(false);
}

void SettingsStore::SaveOnCloseRequest() {
  Save(false);
}

void SettingsStore::SaveOnDestroy() {
  if (!saved_) Save(true);
}

void SettingsStore::Save(bool destroying) {
  // Before the first load the window shows design-time state, which must not replace what the
  // user chose in earlier runs.
  if (!loaded_) return;
  if (!registry_.CreateKey(kProductKey)) {
    throw Error(FormatMessage1(kCreateKeyFailed, kProductKey));
  }
  WriteNumber("FormVersion", kFormVersion);
  SavePlacement(destroying);
  SaveCheckMarks();
  if (after_save) after_save();
  saved_ = true;
}

void SettingsStore::SavePlacement(bool destroying) {
  WindowPlacementData placement = window_.GetPlacement();
  if (window_.IsApplicationMinimized()) placement.show_cmd = kShowMinimized;
  WriteNumber("Flags", static_cast<std::int32_t>(placement.flags));
  WriteNumber("ShowCmd", static_cast<std::int32_t>(placement.show_cmd));
  WriteNumber("PixelsPerInch", window_.PixelsPerInch());
  const std::string min_max = FormatPositions(placement.min_position.x, placement.min_position.y,
                                              placement.max_position.x, placement.max_position.y);
  WriteText(ResolutionTagged("MinMaxPos"), min_max);
  WriteText("MinMaxPos", min_max);
  const PlacementRect& normal = placement.normal_position;
  const std::string norm = FormatPositions(normal.left, normal.top, normal.right, normal.bottom);
  WriteText(ResolutionTagged("NormPos"), norm);
  WriteText("NormPos", norm);
  WriteText("Visible", destroying ? "1" : "0");
}

void SettingsStore::SaveCheckMarks() {
  for (const char* item : kStoredMarkItems) {
    WriteText(StoredMarkValueName(item), window_.IsChecked(item) ? "True" : "False");
  }
}

std::string SettingsStore::ReadText(const std::string& name, const std::string& default_text) {
  return StoredText(name, true).value_or(default_text);
}

std::int32_t SettingsStore::ReadNumber(const std::string& name, std::int32_t default_number) {
  const auto text = StoredText(name, true);
  if (!text) return default_number;
  return ParseDecimal(*text).value_or(default_number);
}

void SettingsStore::WriteText(const std::string& name, const std::string& text) {
  if (!registry_.CreateKey(kStorageKey)) {
    throw Error(FormatMessage1(kCreateKeyFailed, kStorageKey));
  }
  if (!registry_.SetString(kStorageKey, name, text)) {
    throw Error(FormatMessage1(kSetDataFailed, name));
  }
}

void SettingsStore::WriteNumber(const std::string& name, std::int32_t number) {
  WriteText(name, std::to_string(number));
}

std::optional<std::string> SettingsStore::StoredText(const std::string& name,
                                                     bool report_wrong_type) {
  const auto value = registry_.QueryValue(kStorageKey, name);
  if (!value) return std::nullopt;
  if (value->type != RegistryValueType::kString) {
    if (report_wrong_type) window_.ReportError(FormatMessage1(kInvalidDataType, name));
    return std::nullopt;
  }
  return value->text;
}

std::optional<std::vector<std::string>> SettingsStore::StoredPositionWords(
    const std::string& name) {
  auto text = StoredText(ResolutionTagged(name), true);
  if (!text || text->empty()) text = StoredText(name, true);
  if (!text || text->empty()) return std::nullopt;
  return SplitPositionWords(*text);
}

std::string SettingsStore::ResolutionTagged(const std::string& name) {
  return name + "(" + std::to_string(window_.ScreenWidth()) + "x" +
         std::to_string(window_.ScreenHeight()) + ")";
}

}  // namespace tindrel
