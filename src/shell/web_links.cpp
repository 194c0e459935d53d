#include "shell/web_links.h"

#include <cstdint>
#include <optional>

namespace tindrel {
namespace {

bool IsKeptAsIs(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte == '*' ||
         byte == '-' || byte == '.' || byte == '@' || byte == '_';
}

// Switches "AllowWindowReuse" to 0 for its own lifetime when the setting can be switched, and then
// puts back what was there: the old number, or no value at all.
class WindowReuseOff {
 public:
  explicit WindowReuseOff(Registry& registry) : registry_(registry) {
    if (!registry_.KeyExists(kBrowserMainKey)) return;
    const auto value = registry_.QueryValue(kBrowserMainKey, kWindowReuseValue);
    if (value && value->type != RegistryValueType::kDword) return;
    if (value) previous_ = value->number;
    switched_ = registry_.SetDword(kBrowserMainKey, kWindowReuseValue, 0);
  }
  ~WindowReuseOff() {
    if (!switched_) return;
    if (previous_) {
      registry_.SetDword(kBrowserMainKey, kWindowReuseValue, *previous_);
    } else {
      registry_.DeleteValue(kBrowserMainKey, kWindowReuseValue);
    }
  }
  WindowReuseOff(const WindowReuseOff&) = delete;
  WindowReuseOff& operator=(const WindowReuseOff&) = delete;

 private:
  Registry& registry_;
  std::optional<std::uint32_t> previous_;
  bool switched_ = false;
};

}  // namespace

std::string WebPageAddress(WebPage page) {
  return page == WebPage::kProduct ? kProductPageAddress : kSiblingPageAddress;
}

std::string PercentEncode(const std::string& text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size() * 3);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsKeptAsIs(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHexDigits[byte >> 4];
      encoded += kHexDigits[byte & 0x0F];
    }
  }
  return encoded;
}

std::string TellAFriendBody() {
  return std::string("Merry Christmas my friend!\r\n") + "\r\n" +
         "I am writing to let you know about a great program I'm using. \r\n" +
         "It a Tindrel. The program prominently displays the number of days remaining before "
         "Christmas right beneath the Tindrel. \r\n" +
         "It looks amazing, and it's free.\r\n" + "You can find the Tindrel here:\r\n" + "\r\n" +
         kMailProductAddress;
}

std::string TellAFriendMailAddress() {
  return kMailAddressPrefix + PercentEncode(TellAFriendBody());
}

void OpenWebPage(WebPage page, Registry& registry, ShellHandover& shell) {
  const WindowReuseOff reuse_off(registry);
  shell.Open(WebPageAddress(page));
}

void OpenTellAFriendMail(ShellHandover& shell) {
  shell.Open(TellAFriendMailAddress());
}

}  // namespace tindrel
