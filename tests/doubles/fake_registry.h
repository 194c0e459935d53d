#pragma once
// An in-memory HKEY_CURRENT_USER. Key paths and value names compare without regard to ASCII letter
// case, as the real registry does. It can be told to refuse creating a key or setting a value, and
// it records every value written, in order.

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/registry.h"

namespace tindrel::test {

class FakeRegistry : public Registry {
 public:
  bool CreateKey(const std::string& path) override {
    if (refused_keys_.count(Fold(path))) return false;
    EnsureKey(path);
    return true;
  }

  bool KeyExists(const std::string& path) override { return keys_.count(Fold(path)) != 0; }

  std::optional<RegistryValue> QueryValue(const std::string& path,
                                          const std::string& name) override {
    const auto key = keys_.find(Fold(path));
    if (key == keys_.end()) return std::nullopt;
    const auto value = key->second.find(Fold(name));
    if (value == key->second.end()) return std::nullopt;
    return value->second.value;
  }

  bool SetString(const std::string& path, const std::string& name,
                 const std::string& text) override {
    RegistryValue value;
    value.type = RegistryValueType::kString;
    value.text = text;
    return Store(path, name, value);
  }

  bool SetDword(const std::string& path, const std::string& name, std::uint32_t number) override {
    RegistryValue value;
    value.type = RegistryValueType::kDword;
    value.number = number;
    return Store(path, name, value);
  }

  bool DeleteValue(const std::string& path, const std::string& name) override {
    const auto key = keys_.find(Fold(path));
    if (key == keys_.end()) return false;
    return key->second.erase(Fold(name)) != 0;
  }

  // --- set-up and inspection for the tests ---

  void RefuseCreatingKey(const std::string& path) { refused_keys_.insert(Fold(path)); }
  void RefuseSettingValue(const std::string& name) { refused_values_.insert(Fold(name)); }

  // Puts a value in place directly (creating its key), bypassing refusals and the write log.
  void Put(const std::string& path, const std::string& name, const std::string& text) {
    RegistryValue value;
    value.type = RegistryValueType::kString;
    value.text = text;
    PutValue(path, name, value);
  }
  void PutDword(const std::string& path, const std::string& name, std::uint32_t number) {
    RegistryValue value;
    value.type = RegistryValueType::kDword;
    value.number = number;
    PutValue(path, name, value);
  }
  void PutBinary(const std::string& path, const std::string& name) {
    PutValue(path, name, RegistryValue{});
  }

  // The string stored under the name; nothing when it is missing or not a string.
  std::optional<std::string> Text(const std::string& path, const std::string& name) {
    const auto value = QueryValue(path, name);
    if (!value || value->type != RegistryValueType::kString) return std::nullopt;
    return value->text;
  }

  // The value names of a key as they were first written, sorted.
  std::vector<std::string> ValueNames(const std::string& path) const {
    std::vector<std::string> names;
    const auto key = keys_.find(Fold(path));
    if (key == keys_.end()) return names;
    for (const auto& entry : key->second) names.push_back(entry.second.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  // Every successful SetString/SetDword as "key path|value name", in order.
  const std::vector<std::string>& WriteLog() const { return write_log_; }
  void ClearWriteLog() { write_log_.clear(); }

 private:
  struct NamedValue {
    std::string name;
    RegistryValue value;
  };
  using Key = std::map<std::string, NamedValue>;

  static std::string Fold(const std::string& text) {
    std::string folded = text;
    for (auto& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
  }

  static std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char c : path + "\\") {
      if (c != '\\') {
        part += c;
      } else if (!part.empty()) {
        parts.push_back(part);
        part.clear();
      }
    }
    return parts;
  }

  bool Store(const std::string& path, const std::string& name, const RegistryValue& value) {
    const auto key = keys_.find(Fold(path));
    if (key == keys_.end() || refused_values_.count(Fold(name))) return false;
    Assign(key->second, name, value);
    write_log_.push_back(path + "|" + name);
    return true;
  }

  void PutValue(const std::string& path, const std::string& name, const RegistryValue& value) {
    Assign(EnsureKey(path), name, value);
  }

  // The key with every missing parent made.
  Key& EnsureKey(const std::string& path) {
    std::string prefix;
    for (const auto& part : Split(path)) {
      prefix += (prefix.empty() ? "" : "\\") + part;
      keys_.try_emplace(Fold(prefix));
    }
    return keys_[Fold(path)];
  }

  static void Assign(Key& key, const std::string& name, const RegistryValue& value) {
    auto& slot = key[Fold(name)];
    if (slot.name.empty()) slot.name = name;
    slot.value = value;
  }

  std::map<std::string, Key> keys_;
  std::set<std::string> refused_keys_;
  std::set<std::string> refused_values_;
  std::vector<std::string> write_log_;
};

}  // namespace tindrel::test
