// The digital face shipped in the ready folder: loaded for this process only, and drawn in place
// of the default face while that one is not installed.
#include "render/win32/private_font.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "base/file_system.h"
#include "render/caption.h"
#include "render/gblur3.h"
#include "render/win32/gdi_text_painter.h"
#include "support/pixels.h"
#include "support/temp_folder.h"

namespace tindrel::win {
namespace {

using test::PixelOf;

const char kShippedFace[] = "DSEG14 Classic";
const char kDefaultFace[] = "DS-Digital";
const char kCaption[] = "12 days, 05:07:09";

// The build lays the ready folder out beside the tests.
std::string ShippedFontPath() {
  return ExecutableFolder() + "Tindrel\\fonts\\DSEG14Classic-Regular.ttf";
}

FontSpec CaptionFont(const std::string& face) {
  FontSpec font;
  font.face = face;
  font.height = -20;
  font.color = 0xFFFFFF;
  return font;
}

int DifferingPixels(const FrameBitmap& a, const FrameBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return -1;
  int differing = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) differing += PixelOf(a, x, y) != PixelOf(b, x, y);
  }
  return differing;
}

TEST(PrivateFont, TheShippedFaceIsThereOnlyWhileItsFileIsLoaded) {
  ASSERT_FALSE(FaceInstalled(kShippedFace)) << "installed on this system; the test means nothing";
  {
    const PrivateFontFile font(ShippedFontPath());
    ASSERT_TRUE(font.Loaded()) << ShippedFontPath();
    EXPECT_TRUE(FaceInstalled(kShippedFace));
    EXPECT_TRUE(FaceInstalled("dseg14 classic"));
    EXPECT_FALSE(FaceInstalled(kDefaultFace));
  }
  EXPECT_FALSE(FaceInstalled(kShippedFace));
}

TEST(PrivateFont, AMissingOrDamagedFileLoadsNothing) {
  const test::TempFolder folder;
  {
    std::ofstream damaged(folder.File("DSEG14Classic-Regular.ttf"), std::ios::binary);
    damaged << "\x00\x01\x00\x00 not really a font, only its first four bytes";
  }
  const PrivateFontFile damaged(folder.File("DSEG14Classic-Regular.ttf"));
  const PrivateFontFile missing(folder.File("absent.ttf"));
  const PrivateFontFile empty_path("");
  EXPECT_FALSE(damaged.Loaded());
  EXPECT_FALSE(missing.Loaded());
  EXPECT_FALSE(empty_path.Loaded());
  EXPECT_FALSE(FaceInstalled(kShippedFace));
}

TEST(PrivateFont, TheDefaultFaceIsDrawnInTheShippedOneWhileMissing) {
  BuildSharedBlurKernel();
  const PrivateFontFile font(ShippedFontPath());
  ASSERT_TRUE(font.Loaded());
  GdiTextPainter plain;
  GdiTextPainter standing_in;
  standing_in.SetFaceStandIn({kDefaultFace, kShippedFace});

  const FrameBitmap shipped = RenderCaption(plain, kCaption, CaptionFont(kShippedFace), true, 0);
  const FrameBitmap fallback = RenderCaption(plain, kCaption, CaptionFont(kDefaultFace), true, 0);
  const FrameBitmap drawn =
      RenderCaption(standing_in, kCaption, CaptionFont(kDefaultFace), true, 0);
  EXPECT_EQ(DifferingPixels(drawn, shipped), 0);
  EXPECT_NE(DifferingPixels(drawn, fallback), 0) << "the system's fallback looks the same";
  EXPECT_EQ(standing_in.Measure(CaptionFont(kDefaultFace), kCaption).width,
            plain.Measure(CaptionFont(kShippedFace), kCaption).width);

  // A face the user picked is drawn as it is.
  const FrameBitmap tahoma = RenderCaption(plain, kCaption, CaptionFont("Tahoma"), true, 0);
  EXPECT_EQ(
      DifferingPixels(RenderCaption(standing_in, kCaption, CaptionFont("Tahoma"), true, 0), tahoma),
      0);
}

}  // namespace
}  // namespace tindrel::win
