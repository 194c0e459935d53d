#include "settings/settings_store.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

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
  const auto isPadding = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && isPadding(text[first])) ++first;
  while (last > first && isPadding(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool EqualsIgnoringCase(const std::string& text, const std::string& word) {
  if (text.size() != word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    if (lower(text[i]) != lower(word[i])) return false;
  }
  return true;
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

std::string StoredPropValueName(const std::string& prop) {
  std::string name = prop;
  const auto dot = name.find('.');
  if (dot != std::string::npos) name[dot] = '_';
  return name;
}

std::string StoredPropComponent(const std::string& prop) {
  return prop.substr(0, prop.find('.'));
}

FormStorage::FormStorage(Registry& registry, SettingsWindow& window)
    : registry_(registry), window_(window) {}

void FormStorage::LoadSettings() {
  saved_ = false;
  // Reading needs only read access, so a product key that cannot be created or opened with full
  // access still loads; what is missing reads as its default.
  registry_.CreateKey(kProductKey);
  if (ReadNumber("FormVersion", 0) >= kFormVersion) {
    RestorePosition();
    RestoreState();
    // Once the window stands where it was left, saving it can no longer lose the stored place.
    loaded_ = true;
    RestoreCheckMarks();
    if (OnRestorePlacement) OnRestorePlacement();
  }
  loaded_ = true;
}

void FormStorage::RestorePosition() {
  WindowPlacementData placement = window_.GetPlacement();
  // Applying the placement before the window is shown must move it without showing it.
  if (!window_.IsWindowVisible()) placement.showCmd = kShowHide;
  placement.flags =
      static_cast<std::uint32_t>(ReadNumber("Flags", static_cast<std::int32_t>(placement.flags)));

  const WindowBounds bounds = window_.CurrentBounds();
  bool found = false;
  if (const auto words = StoredPositionWords("MinMaxPos")) {
    found = true;
    placement.minPosition = {WordAsNumber(*words, 0, 0), WordAsNumber(*words, 1, 0)};
    placement.maxPosition = {WordAsNumber(*words, 2, 0), WordAsNumber(*words, 3, 0)};
  }
  if (const auto words = StoredPositionWords("NormPos")) {
    found = true;
    placement.normalPosition = {WordAsNumber(*words, 0, bounds.left),
                                WordAsNumber(*words, 1, bounds.top),
                                WordAsNumber(*words, 2, bounds.left + bounds.width),
                                WordAsNumber(*words, 3, bounds.top + bounds.height)};
  }
  const std::int32_t ownPixelsPerInch = window_.PixelsPerInch();
  const std::int32_t storedPixelsPerInch = ReadNumber("PixelsPerInch", ownPixelsPerInch);
  // A position stored under another pixels-per-inch setting does not fit this screen.
  if (!found || storedPixelsPerInch != ownPixelsPerInch) return;

  // The widget has no sizing border: its size follows the skin and caption, never the store.
  const auto rect = SizedToWindow(placement.normalPosition, bounds);
  if (!rect || rect->left >= rect->right) return;
  placement.normalPosition = *rect;
  window_.SetPlacement(placement);
}

void FormStorage::RestoreState() {
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

void FormStorage::RestoreCheckMarks() {
  for (const char* prop : kStoredProps) {
    const std::string item = StoredPropComponent(prop);
    const std::string current = window_.IsChecked(item) ? "True" : "False";
    // A mark of the wrong type is passed over silently, like any unreadable mark.
    const std::string text =
        TrimBlanksAndControls(StoredText(StoredPropValueName(prop), false).value_or(current));
    if (EqualsIgnoringCase(text, "True")) {
      window_.SetChecked(item, true);
    } else if (EqualsIgnoringCase(text, "False")) {
      window_.SetChecked(item, false);
    }
  }
}

void FormStorage::SaveSettings() {
  Save(false);
}

void FormStorage::SaveOnCloseRequest() {
  Save(false);
}

void FormStorage::SaveOnDestroy() {
  if (!saved_) Save(true);
}

void FormStorage::Save(bool destroying) {
  // Before the first load the window shows design-time state, which must not replace what the
  // user chose in earlier runs.
  if (!loaded_) return;
  if (!registry_.CreateKey(kProductKey)) {
    throw Error(FormatMessage1(kCreateKeyFailed, kProductKey));
  }
  WriteNumber("FormVersion", kFormVersion);
  SavePlacement(destroying);
  SaveCheckMarks();
  if (OnSavePlacement) OnSavePlacement();
  saved_ = true;
}

void FormStorage::SavePlacement(bool destroying) {
  WindowPlacementData placement = window_.GetPlacement();
  if (window_.IsApplicationMinimized()) placement.showCmd = kShowMinimized;
  WriteNumber("Flags", static_cast<std::int32_t>(placement.flags));
  WriteNumber("ShowCmd", static_cast<std::int32_t>(placement.showCmd));
  WriteNumber("PixelsPerInch", window_.PixelsPerInch());
  const std::string minMax = FormatPositions(placement.minPosition.x, placement.minPosition.y,
                                             placement.maxPosition.x, placement.maxPosition.y);
  WriteText(ResolutionTagged("MinMaxPos"), minMax);
  WriteText("MinMaxPos", minMax);
  const PlacementRect& normal = placement.normalPosition;
  const std::string norm = FormatPositions(normal.left, normal.top, normal.right, normal.bottom);
  WriteText(ResolutionTagged("NormPos"), norm);
  WriteText("NormPos", norm);
  WriteText("Visible", destroying ? "1" : "0");
}

void FormStorage::SaveCheckMarks() {
  for (const char* prop : kStoredProps) {
    WriteText(StoredPropValueName(prop),
              window_.IsChecked(StoredPropComponent(prop)) ? "True" : "False");
  }
}

std::string FormStorage::ReadText(const std::string& name, const std::string& defaultText) {
  return StoredText(name, true).value_or(defaultText);
}

std::int32_t FormStorage::ReadNumber(const std::string& name, std::int32_t defaultNumber) {
  const auto text = StoredText(name, true);
  if (!text) return defaultNumber;
  return ParseDecimal(*text).value_or(defaultNumber);
}

void FormStorage::WriteText(const std::string& name, const std::string& text) {
  if (!registry_.CreateKey(kStorageKey)) {
    throw Error(FormatMessage1(kCreateKeyFailed, kStorageKey));
  }
  if (!registry_.SetString(kStorageKey, name, text)) {
    throw Error(FormatMessage1(kSetDataFailed, name));
  }
}

void FormStorage::WriteNumber(const std::string& name, std::int32_t number) {
  WriteText(name, std::to_string(number));
}

std::optional<std::string> FormStorage::StoredText(const std::string& name, bool reportWrongType) {
  const auto value = registry_.QueryValue(kStorageKey, name);
  if (!value) return std::nullopt;
  if (value->type != RegistryValueType::kString) {
    if (reportWrongType) window_.ReportError(FormatMessage1(kInvalidDataType, name));
    return std::nullopt;
  }
  return value->text;
}

std::optional<std::vector<std::string>> FormStorage::StoredPositionWords(const std::string& name) {
  auto text = StoredText(ResolutionTagged(name), true);
  if (!text || text->empty()) text = StoredText(name, true);
  if (!text || text->empty()) return std::nullopt;
  return SplitPositionWords(*text);
}

std::string FormStorage::ResolutionTagged(const std::string& name) {
  return name + "(" + std::to_string(window_.ScreenWidth()) + "x" +
         std::to_string(window_.ScreenHeight()) + ")";
}

}  // namespace tindrel
