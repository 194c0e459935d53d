#include "render/skin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "render/alpha_bitmap.h"
#include "support/png_writer.h"
#include "support/temp_folder.h"

namespace tindrel {
namespace {

class SkinLoading : public ::testing::Test {
 protected:
  SkinLoading()
      : skin_(folder_.WithSeparator(), [this](const std::string& text) {
          reports_.push_back(text);
          seen_name_ = skin_.SkinName();
          seen_bitmap_ = skin_.SkinBitmap() != nullptr;
        }) {}

  // glass: 2 x 1, a half-transparent white pixel and an opaque red one.
  void PutGlass() {
    test::WriteFile(folder_.File("glass.png"),
                    test::RgbaPng(2, 1, {255, 255, 255, 128, 255, 0, 0, 255}));
  }
  // winter: 3 x 2 RGB without alpha.
  void PutWinter() {
    test::WriteFile(folder_.File("winter.png"),
                    test::RgbPng(3, 2, std::vector<std::uint16_t>(18, 200)));
  }
  void PutBroken(const std::string& name) {
    test::WriteFile(folder_.File(name + ".png"), {'n', 'o', 't', ' ', 'p', 'n', 'g', '!', '!'});
  }

  test::TempFolder folder_;
  std::vector<std::string> reports_;
  std::string seen_name_;
  bool seen_bitmap_ = false;
  WidgetSkin skin_;
};

TEST_F(SkinLoading, DefaultSkinBecomesPremultipliedBitmapOverGrey) {
  PutGlass();
  skin_.LoadSkin("glass");
  EXPECT_EQ(skin_.SkinName(), "glass");
  ASSERT_NE(skin_.SkinBitmap(), nullptr);
  EXPECT_EQ(skin_.Width(), 2);
  EXPECT_EQ(skin_.Height(), 1);
  const std::uint8_t* p = skin_.SkinBitmap()->ScanLine(0);
  EXPECT_EQ(std::vector<int>(p, p + 8), (std::vector<int>{95, 95, 95, 128, 0, 0, 255, 255}));
  EXPECT_TRUE(reports_.empty());
}

TEST_F(SkinLoading, NamedSkinIsLoadedAndKeepsTheGivenName) {
  PutGlass();
  PutWinter();
  skin_.LoadSkin("winter");
  EXPECT_EQ(skin_.SkinName(), "winter");
  EXPECT_EQ(skin_.Width(), 3);
  EXPECT_EQ(skin_.Height(), 2);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(SkinLoading, SkinWithoutAlphaHasNoSolidPixel) {
  PutWinter();
  skin_.LoadSkin("winter");
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_FALSE(IsSolidPixel(*skin_.SkinBitmap(), x, y));
  }
}

TEST_F(SkinLoading, MissingSkinFallsBackToGlassSilently) {
  PutGlass();
  skin_.LoadSkin("deleted");
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_EQ(skin_.Width(), 2);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(SkinLoading, FolderNamedLikeASkinCountsAsMissing) {
  PutGlass();
  std::filesystem::create_directory(folder_.Path() / "odd.png");
  skin_.LoadSkin("odd");
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_TRUE(reports_.empty());
}

TEST_F(SkinLoading, UndecodableSkinIsReportedOnceThenGlassIsShown) {
  PutGlass();
  PutBroken("broken");
  skin_.LoadSkin("broken");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0],
            "Cannot decode the PNG picture \"" + folder_.File("broken.png") + "\": Not a PNG file");
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_EQ(skin_.Width(), 2);
  // The report comes when the fallback is already in place.
  EXPECT_EQ(seen_name_, "glass");
  EXPECT_TRUE(seen_bitmap_);
}

TEST_F(SkinLoading, MissingGlassLeavesNoSkinAndSaysSoOnce) {
  skin_.LoadSkin("glass");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("\"" + folder_.File("glass.png") + "\""), std::string::npos)
      << reports_[0];
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_EQ(skin_.SkinBitmap(), nullptr);
  EXPECT_EQ(skin_.Width(), 0);
  EXPECT_EQ(skin_.Height(), 0);

  reports_.clear();
  skin_.LoadSkin("deleted");
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_EQ(skin_.SkinBitmap(), nullptr);
}

TEST_F(SkinLoading, UndecodableGlassLeavesNoSkinAndNeverLoops) {
  PutBroken("glass");
  skin_.LoadSkin("glass");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find(folder_.File("glass.png")), std::string::npos) << reports_[0];
  EXPECT_EQ(skin_.SkinBitmap(), nullptr);

  // A broken skin over a broken default: each problem once, then no skin.
  reports_.clear();
  PutBroken("other");
  skin_.LoadSkin("other");
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_NE(reports_[0].find("other.png"), std::string::npos);
  EXPECT_NE(reports_[1].find("glass.png"), std::string::npos);
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_EQ(skin_.SkinBitmap(), nullptr);
}

TEST_F(SkinLoading, LoadingTheSameSkinTwiceReadsTheFileAgainAndKeepsOnePair) {
  PutGlass();
  PutWinter();
  skin_.LoadSkin("winter");
  test::WriteFile(folder_.File("winter.png"), test::RgbPng(1, 1, {1, 2, 3}));
  skin_.LoadSkin("winter");
  EXPECT_EQ(skin_.SkinName(), "winter");
  EXPECT_EQ(skin_.Width(), 1);
  EXPECT_EQ(skin_.SkinBitmap()->ScanLine(0)[kRed], 1);
}

TEST_F(SkinLoading, SkinGoingMissingAfterALoadReleasesItForGlass) {
  PutGlass();
  PutWinter();
  skin_.LoadSkin("winter");
  std::filesystem::remove(folder_.Path() / "winter.png");
  skin_.LoadSkin("winter");
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_EQ(skin_.Width(), 2);
}

// The picture made for 200 %: 4 x 2, every pixel opaque and its own colour, so that a resized
// 1x picture cannot pass for it.
void PutDoubleGlass(const test::TempFolder& folder) {
  std::filesystem::create_directory(folder.Path() / "2x");
  std::vector<std::uint16_t> rgba;
  for (int i = 0; i < 8; ++i) rgba.insert(rgba.end(), {std::uint16_t(i * 30), 7, 9, 255});
  test::WriteFile(folder.File("2x/glass.png"), test::RgbaPng(4, 2, rgba));
}

TEST_F(SkinLoading, AtTwiceTheDpiThePictureMadeForItIsUsedAsItIs) {
  PutGlass();
  PutDoubleGlass(folder_);
  skin_.SetDpi(192);
  skin_.LoadSkin("glass");
  ASSERT_EQ(skin_.Width(), 4);
  ASSERT_EQ(skin_.Height(), 2);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(skin_.SkinBitmap()->PixelAt(i % 4, i / 4)[kRed], i * 30);
  // Back at 100 % the 1x picture is made again at once.
  skin_.SetDpi(96);
  EXPECT_EQ(skin_.Width(), 2);
  EXPECT_EQ(skin_.SkinBitmap()->PixelAt(1, 0)[kRed], 255);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(SkinLoading, ASkinWithoutLargerPicturesIsEnlargedSmoothly) {
  PutGlass();  // a half-transparent white pixel, then an opaque red one
  skin_.SetDpi(192);
  skin_.LoadSkin("glass");
  ASSERT_EQ(skin_.Width(), 4);
  ASSERT_EQ(skin_.Height(), 2);
  // Between the two pixels' centres the colours are mixed, not repeated.
  const int alpha = skin_.SkinBitmap()->PixelAt(1, 0)[kAlpha];
  EXPECT_GT(alpha, 128);
  EXPECT_LT(alpha, 255);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(SkinLoading, ADamagedLargerPictureIsReportedAndTheOneXPictureStandsIn) {
  PutGlass();
  std::filesystem::create_directory(folder_.Path() / "2x");
  test::WriteFile(folder_.File("2x/glass.png"), {'n', 'o', 't', ' ', 'p', 'n', 'g', '!', '!'});
  skin_.SetDpi(192);
  skin_.LoadSkin("glass");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_NE(reports_[0].find("2x"), std::string::npos) << reports_[0];
  EXPECT_EQ(skin_.SkinName(), "glass");
  EXPECT_EQ(skin_.Width(), 4);
  EXPECT_TRUE(seen_bitmap_) << "reported once the skin stands";
}

TEST(SkinLoadingWithoutReport, ProblemsWithoutAReceiverDoNotFail) {
  test::TempFolder folder;
  WidgetSkin skin(folder.WithSeparator(), nullptr);
  EXPECT_NO_THROW(skin.LoadSkin("anything"));
  EXPECT_EQ(skin.SkinBitmap(), nullptr);
  EXPECT_EQ(skin.SkinPath("a"), folder.WithSeparator() + "a.png");
}

}  // namespace
}  // namespace tindrel
