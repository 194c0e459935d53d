#include <gtest/gtest.h>

#include "render/frame_bitmap.h"
#include "render/win32/dib.h"

namespace tindrel::win {
namespace {

TEST(DibBackedFrameBitmap, RowsAreTopDownAndZeroed) {
  FrameBitmap bitmap(3, 2);
  ASSERT_NE(DibHandle(bitmap), nullptr);
  EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), 12);
  EXPECT_EQ(bitmap.ScanLine(1)[3], 0);
}

}  // namespace
}  // namespace tindrel::win
