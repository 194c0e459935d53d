#pragma once
// The maker's web pages and the tell-a-friend mail, handed to the shell.

#include <string>

#include "base/registry.h"

namespace tindrel {

// Every address the program hands out, kept together.
inline constexpr char kProductPageAddress[] = "https://quillmoor.example/tindrel/?t=1";
inline constexpr char kSiblingPageAddress[] = "https://quillmoor.example/snowglobe/?t=1";
inline constexpr char kMailProductAddress[] = "https://quillmoor.example/tindrel/";

inline constexpr char kMailAddressPrefix[] =
    "mailto:?subject=Merry%20Christmas%20Tindrel%20for%20computer%20desktop&body=";

inline constexpr char kBrowserMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr char kWindowReuseValue[] = "AllowWindowReuse";

enum class WebPage { kProduct, kSibling };

std::string WebPageAddress(WebPage page);

// Hands an address to the system's shell ("open", shown maximised, no owner window). What the
// shell makes of it is not examined.
class ShellHandover {
 public:
  virtual ~ShellHandover() = default;
  virtual void Open(const std::string& address) = 0;
};

// Letters, '*', '-', '.', '@' and '_' stay; every other byte becomes "%" and two uppercase
// hexadecimal digits.
std::string PercentEncode(const std::string& text);

// The eight lines of the recommendation, joined by CR LF, before encoding.
std::string TellAFriendBody();

// The whole mailto: address of the "Merry Christmas a Friend..." entry.
std::string TellAFriendMailAddress();

// Opens the page in a new browser window: the browser's window reuse is switched off for the
// moment of the hand-over and then put back exactly as it was. The page is opened even when that
// setting cannot be switched (its key missing, its value not a number, a refused write); the
// setting is then left as it was found.
void OpenWebPage(WebPage page, Registry& registry, ShellHandover& shell);

// The "Merry Christmas a Friend..." entry: hands the mail address over; the browser setting is not
// touched.
void OpenTellAFriendMail(ShellHandover& shell);

}  // namespace tindrel
