#include "shell/web_links.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "doubles/fake_registry.h"
#include "doubles/recording_shell.h"
#include "support/outside_names.h"

namespace tindrel {
namespace {

using test::FakeRegistry;

// Records each address and what "AllowWindowReuse" held at the moment of the hand-over.
class RecordingShell : public test::RecordingShell<std::optional<RegistryValue>> {
 public:
  explicit RecordingShell(FakeRegistry& registry)
      : test::RecordingShell<std::optional<RegistryValue>>([&registry] {
          return registry.QueryValue(outside::kBrowserMainKey, outside::kWindowReuseValue);
        }) {}
};

TEST(PercentEncode, KeepsLettersAndFourMarksAndEncodesEveryOtherByte) {
  EXPECT_EQ(PercentEncode("abc"), "abc");
  EXPECT_EQ(PercentEncode("a b\r\n"), "a%20b%0D%0A");
  EXPECT_EQ(PercentEncode("'"), "%27");
  EXPECT_EQ(PercentEncode("2008"), "%32%30%30%38");
  EXPECT_EQ(PercentEncode(":"), "%3A");
  EXPECT_EQ(PercentEncode("/"), "%2F");
  EXPECT_EQ(PercentEncode("@.-*_XYZ"), "@.-*_XYZ");
  EXPECT_EQ(PercentEncode("~!%?&="), "%7E%21%25%3F%26%3D");
  EXPECT_EQ(PercentEncode(std::string("\x00\x7f\x80\xff", 4)), "%00%7F%80%FF");
  EXPECT_EQ(PercentEncode("\xc3\xa9"), "%C3%A9") << "UTF-8 byte by byte";
  EXPECT_EQ(PercentEncode(""), "");
}

TEST(TellAFriendMail, BodyHasItsEightLinesJoinedByCrLf) {
  const std::string body = TellAFriendBody();
  EXPECT_EQ(body,
            "Merry Christmas my friend!\r\n"
            "\r\n"
            "I am writing to let you know about a great program I'm using. \r\n"
            "It a Tindrel. The program prominently displays the number of days remaining before "
            "Christmas right beneath the Tindrel. \r\n"
            "It looks amazing, and it's free.\r\n"
            "You can find the Tindrel here:\r\n"
            "\r\n"
            "https://quillmoor.example/tindrel/");
}

TEST(TellAFriendMail, AddressIsTheFixedPrefixAndTheEncodedBody) {
  const std::string address = TellAFriendMailAddress();
  const std::string prefix =
      "mailto:?subject=Merry%20Christmas%20Tindrel%20for%20computer%20desktop&body=";
  ASSERT_EQ(address.rfind(prefix, 0), 0u);
  const std::string body = address.substr(prefix.size());
  EXPECT_EQ(body.rfind("Merry%20Christmas%20my%20friend%21%0D%0A%0D%0AI%20am%20writing", 0), 0u);
  EXPECT_EQ(body.find_first_of(" \r\n"), std::string::npos);
  const std::string last_line = "%0D%0A%0D%0Ahttps%3A%2F%2Fquillmoor.example%2Ftindrel%2F";
  ASSERT_GT(body.size(), last_line.size());
  EXPECT_EQ(body.substr(body.size() - last_line.size()), last_line);
}

TEST(TellAFriendMail, IsHandedOverWithoutTouchingTheBrowserSetting) {
  FakeRegistry registry;
  registry.PutDword(outside::kBrowserMainKey, outside::kWindowReuseValue, 1);
  RecordingShell shell(registry);
  OpenTellAFriendMail(shell);
  EXPECT_EQ(shell.addresses, std::vector<std::string>{TellAFriendMailAddress()});
  EXPECT_EQ(shell.seen_during_handover->number, 1u);
}

TEST(WebPages, AddressesAreFixedAndEndInTheQuery) {
  const std::string product = WebPageAddress(WebPage::kProduct);
  const std::string sibling = WebPageAddress(WebPage::kSibling);
  EXPECT_EQ(product, "https://quillmoor.example/tindrel/?t=1");
  EXPECT_EQ(sibling, "https://quillmoor.example/snowglobe/?t=1");
}

TEST(OpenWebPage, AbsentReuseSettingIsZeroDuringTheHandoverAndAbsentAfter) {
  FakeRegistry registry;
  registry.CreateKey(outside::kBrowserMainKey);
  RecordingShell shell(registry);
  OpenWebPage(WebPage::kProduct, registry, shell);

  EXPECT_EQ(shell.addresses, std::vector<std::string>{outside::kProductPage});
  ASSERT_TRUE(shell.seen_during_handover);
  EXPECT_EQ(shell.seen_during_handover->type, RegistryValueType::kDword);
  EXPECT_EQ(shell.seen_during_handover->number, 0u);
  EXPECT_FALSE(registry.QueryValue(outside::kBrowserMainKey, outside::kWindowReuseValue));
}

TEST(OpenWebPage, PresentReuseSettingIsZeroDuringTheHandoverAndRestoredAfter) {
  FakeRegistry registry;
  registry.PutDword(outside::kBrowserMainKey, outside::kWindowReuseValue, 1);
  RecordingShell shell(registry);
  OpenWebPage(WebPage::kSibling, registry, shell);

  EXPECT_EQ(shell.addresses, std::vector<std::string>{outside::kSiblingPage});
  EXPECT_EQ(shell.seen_during_handover->number, 0u);
  EXPECT_EQ(registry.QueryValue(outside::kBrowserMainKey, outside::kWindowReuseValue)->number, 1u);
}

TEST(OpenWebPage, MissingBrowserKeyStillOpensThePageAndCreatesNothing) {
  FakeRegistry registry;
  RecordingShell shell(registry);
  OpenWebPage(WebPage::kProduct, registry, shell);
  EXPECT_EQ(shell.addresses.size(), 1u);
  EXPECT_FALSE(registry.KeyExists(outside::kBrowserMainKey));
  EXPECT_TRUE(registry.WriteLog().empty());
}

TEST(OpenWebPage, ReuseSettingOfAnotherTypeIsLeftAsFoundAndThePageOpens) {
  FakeRegistry registry;
  registry.Put(outside::kBrowserMainKey, outside::kWindowReuseValue, "1");
  RecordingShell shell(registry);
  OpenWebPage(WebPage::kProduct, registry, shell);
  EXPECT_EQ(shell.addresses.size(), 1u);
  EXPECT_TRUE(registry.WriteLog().empty());
  EXPECT_EQ(registry.Text(outside::kBrowserMainKey, outside::kWindowReuseValue), "1");
}

TEST(OpenWebPage, RefusedSwitchStillOpensThePageAndLeavesTheSetting) {
  FakeRegistry registry;
  registry.PutDword(outside::kBrowserMainKey, outside::kWindowReuseValue, 1);
  registry.RefuseSettingValue(outside::kWindowReuseValue);
  RecordingShell shell(registry);
  OpenWebPage(WebPage::kProduct, registry, shell);
  EXPECT_EQ(shell.addresses.size(), 1u);
  EXPECT_EQ(registry.QueryValue(outside::kBrowserMainKey, outside::kWindowReuseValue)->number, 1u);
}

}  // namespace
}  // namespace tindrel
