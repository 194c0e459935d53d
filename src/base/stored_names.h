#pragma once
// The names under which the widget's choices are stored, and the defaults a first start (or a
// damaged value) falls back to. Each is defined here once; the menu, the settings store, the
// countdown, the skin loader, the sound player and the main window all spell them through these
// constants, so that a misspelt name fails to compile instead of losing a stored choice.

#include <cstdint>

namespace tindrel {

// Menu entries whose check marks are stored: each mark is kept under "<name>_Checked".
namespace item_names {
inline constexpr char kStartWithSystem[] = "chbStartup";
inline constexpr char kAlwaysOnTop[] = "OnTop1";
inline constexpr char kDisplayShadow[] = "DisplayShadow1";
inline constexpr char kShowHide[] = "ShowHide1";
inline constexpr char kShowDays[] = "ShowDays1";
inline constexpr char kShowStars[] = "ShowRandomStars1";
// The chime schedule, one radio group.
inline constexpr char kChimeEveryHour[] = "EveryHour1";
inline constexpr char kChimeEveryHalfHour[] = "EveryHalfHour1";
inline constexpr char kChimeNever[] = "Never1";
// The due dates, one radio group.
inline constexpr char kDueChristmasEve[] = "ChristmasDecember2420071";
inline constexpr char kDueChristmas[] = "Christmas1";
inline constexpr char kDueNewYear[] = "NewYear1";
inline constexpr char kDueJulianChristmas[] = "ChristmasJanuary71";
}  // namespace item_names

// Bits of the stored caption font style.
namespace font_style {
inline constexpr std::int32_t kBold = 1;
inline constexpr std::int32_t kItalic = 2;
inline constexpr std::int32_t kUnderline = 4;
inline constexpr std::int32_t kStrikeOut = 8;
// Only these mean anything; others (from a hand-edited value) are dropped.
inline constexpr std::int32_t kAllBits = 15;
}  // namespace font_style

// What the widget uses when nothing (or nothing usable) is stored.
namespace defaults {
inline constexpr char kSkinName[] = "glass";
inline constexpr char kSoundName[] = "JingleBells";
inline constexpr char kFontName[] = "DS-Digital";
inline constexpr std::int32_t kFontSize = 16;           // points
inline constexpr std::int32_t kFontColor = 0x00FFFFFF;  // white, as 0x00BBGGRR
inline constexpr std::int32_t kFontStyle = 0;
}  // namespace defaults

}  // namespace tindrel
