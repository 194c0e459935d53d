#pragma once
// The registry keys, value names and addresses the world outside the program sees, spelt out here
// once more on purpose: the tests compare the code's own constants against these, so a misspelt
// name in the code fails a test instead of passing unnoticed. Never include the code's constants.

namespace tindrel::outside {

inline constexpr char kProductKey[] = "Software\\Quillmoor\\Tindrel";
inline constexpr char kSettingsKey[] = "Software\\Quillmoor\\Tindrel\\MainForm";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kBrowserMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr char kWindowReuseValue[] = "AllowWindowReuse";

inline constexpr char kProductPage[] = "https://quillmoor.example/tindrel/?t=1";
inline constexpr char kSiblingPage[] = "https://quillmoor.example/snowglobe/?t=1";

}  // namespace tindrel::outside
