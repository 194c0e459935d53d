// A season of frames: thousands of frames composed and presented to a layered window while the
// caption ticks, the skin changes, the stars twinkle and the font and shadow change now and then,
// as the widget's timers and menus make them change. The process's GDI and USER objects and its
// private memory must end where they began.
//
// GetGuiResources is the system's count of a process's GDI and USER objects; Wine 8 answers 0 for
// both. There the counts come from the handle tables instead: a GDI or USER handle is a table
// index with a reuse counter in its high word, and a handle given as the bare index names
// whatever object lives at that index, so GetObjectType finds every live GDI object, and IsWindow
// and IsMenu every window and menu (this process's windows are told apart by their process id).
// Private memory is PrivateUsage of GetProcessMemoryInfo; Wine 8 answers 0 there too, and then it
// is the committed private pages that VirtualQuery finds in the address space. Those are coarse: a
// heap keeps the pages of freed blocks, so a small leak fills them unseen; the bytes of the busy
// blocks of every heap, found by HeapWalk, show it.
#include <windows.h>
// psapi after windows.h: it needs its types.
#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/file_system.h"
#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"
#include "render/alpha_bitmap.h"
#include "render/composition.h"
#include "render/png_decoder.h"
#include "render/skin.h"
#include "render/stars.h"
#include "render/win32/gdi_text_painter.h"
#include "render/win32/layered_window.h"
#include "support/data_dir.h"

namespace tindrel::win {
namespace {

using test::DataDir;

// Live GDI objects found by their table index; 0 where bare indices name nothing.
int GdiObjectsInTable() {
  int count = 0;
  for (ULONG_PTR index = 1; index < 0x10000; ++index) {
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  }
  return count;
}

// This process's windows and menus found by their table index (even values from 0x20 on).
int UserObjectsInTable() {
  const DWORD self = GetCurrentProcessId();
  int count = 0;
  for (ULONG_PTR index = 0x20; index < 0xFFF0; index += 2) {
    const HWND window = reinterpret_cast<HWND>(index);
    DWORD owner = 0;
    if (IsWindow(window) && GetWindowThreadProcessId(window, &owner) && owner == self) ++count;
    if (IsMenu(reinterpret_cast<HMENU>(index))) ++count;
  }
  return count;
}

// Committed private pages of the whole address space (heaps, DIB sections, stacks).
SIZE_T CommittedPrivateBytes() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION region{};
  const char* at = nullptr;
  while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

// Bytes in the busy blocks of every heap of the process.
SIZE_T HeapBytesInUse() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  SIZE_T total = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    }
    HeapUnlock(heap);
  }
  return total;
}

struct ResourceUse {
  DWORD gui_gdi = 0;   // GetGuiResources
  DWORD gui_user = 0;  // GetGuiResources
  int table_gdi = 0;
  int table_user = 0;
  SIZE_T private_usage = 0;  // GetProcessMemoryInfo
  SIZE_T committed_private = 0;
  SIZE_T heap_in_use = 0;

  static ResourceUse Now() {
    ResourceUse use;
    use.gui_gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    use.gui_user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    use.table_gdi = GdiObjectsInTable();
    use.table_user = UserObjectsInTable();
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
      use.private_usage = memory.PrivateUsage;
    }
    use.committed_private = CommittedPrivateBytes();
    use.heap_in_use = HeapBytesInUse();
    return use;
  }
  // The system's count where it gives one, the table's otherwise.
  int Gdi() const { return gui_gdi != 0 ? static_cast<int>(gui_gdi) : table_gdi; }
  int User() const { return gui_user != 0 ? static_cast<int>(gui_user) : table_user; }
  SIZE_T PrivateBytes() const { return private_usage != 0 ? private_usage : committed_private; }
  std::string Describe() const {
    char text[300];
    std::snprintf(text, sizeof text,
                  "GetGuiResources: %lu GDI, %lu USER; tables: %d GDI, %d USER; PrivateUsage "
                  "%.1f KiB; committed private %.1f KiB; heap blocks in use %.1f KiB",
                  static_cast<unsigned long>(gui_gdi), static_cast<unsigned long>(gui_user),
                  table_gdi, table_user, private_usage / 1024.0, committed_private / 1024.0,
                  heap_in_use / 1024.0);
    return text;
  }
};

// What the main window does for a frame, and what its timers and menus change between frames.
class Season {
 public:
  Season()
      : window_(CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, L"STATIC", L"season", WS_POPUP,
                                20, 20, 400, 360, nullptr, nullptr, GetModuleHandleW(nullptr),
                                nullptr)),
        skin_(DataDir() + "\\skins\\", [this](const std::string& text) { problems_ += text; }),
        star_sprite_(PngToAlphaBitmap(DecodePngFile(DataDir() + "\\star.png"), 0x000000)) {
    ShowWindow(window_.get(), SW_SHOWNOACTIVATE);
  }

  // Frame `n`: a new caption every frame (the refresh tick), a star step every frame, another
  // skin every 25 frames (the skin menu, which also resets the stars), the shadow switched every
  // 250 frames and another font every 500 (the settings and the font chooser). Every 1000 frames
  // the same inputs come round again.
  DWORD Frame(int n) {
    static const char* const kSkins[] = {"glass", "Snowman", "Wreath", "CandleLight"};
    if (n % 25 == 0) {
      skin_.LoadSkin(kSkins[(n / 25) % 4]);
      stars_.Reset();
    }
    if (n % 250 == 0) shadow_ = !shadow_;
    if (n % 500 == 0) font_.height = font_.height == -20 ? -28 : -20;
    stars_.Tick(SkinSize{skin_.Width(), skin_.Height()}, random_);

    char caption[40];
    const int left = 3600 * 24 * 30 - n;
    std::snprintf(caption, sizeof caption, "%d days, %02d:%02d:%02d", left / 86400,
                  left / 3600 % 24, left / 60 % 60, left % 60);
    FrameInputs inputs;
    inputs.caption_text = caption;
    inputs.font = font_;
    inputs.display_shadow = shadow_;
    inputs.skin = skin_.SkinBitmap();
    inputs.skin_version = skin_.Version();
    inputs.star_sprite = &star_sprite_;
    inputs.stars = &stars_.Stars();
    const DWORD error =
        presenter_.Present(window_.get(), composer_.Compose(painter_, inputs), POINT{20, 20});
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    return error;
  }

  const std::string& Problems() const { return problems_; }

 private:
  ScopedWindow window_;
  std::string problems_;
  WidgetSkin skin_;
  FrameBitmap star_sprite_;
  GdiTextPainter painter_;
  FrameComposer composer_;
  LayeredFramePresenter presenter_;
  StarField stars_;
  MersenneRandom random_{2026};
  FontSpec font_;
  bool shadow_ = true;
};

TEST(SeasonOfFrames, ThousandsOfChangingFramesLeaveObjectsAndMemoryWhereTheyStarted) {
  Season season;
  // A first round of every change, so that what is made once and kept (fonts, the presenter's
  // device context, the composer's layers, the heap's own pools) is there before the count, and
  // both counts are taken at the same point of the round: memory in use rises and falls by some
  // 250 KiB within a round, with the sizes of the skins and captions of the moment.
  int n = 0;
  for (; n < 1000; ++n) ASSERT_EQ(season.Frame(n), 0u) << "frame " << n;
  ASSERT_EQ(season.Problems(), "");
  const ResourceUse before = ResourceUse::Now();
  for (; n < 3000; ++n) ASSERT_EQ(season.Frame(n), 0u) << "frame " << n;
  const ResourceUse after = ResourceUse::Now();
  std::printf("before: %s\nafter 2000 more frames: %s\n", before.Describe().c_str(),
              after.Describe().c_str());

  // The window, the layered frame's device context and bitmaps, the font: a count that sees none
  // of them is no count at all.
  ASSERT_GT(before.Gdi(), 0) << "no way to count GDI objects here";
  ASSERT_GT(before.User(), 0) << "no way to count USER objects here";
  EXPECT_EQ(after.Gdi(), before.Gdi());
  EXPECT_EQ(after.User(), before.User());
  // One frame is about 550 KiB; 2000 frames that each kept 128 bytes would already pass this.
  ASSERT_GT(before.PrivateBytes(), 0u) << "no private memory figure";
  EXPECT_LE(after.PrivateBytes(), before.PrivateBytes() + 256 * 1024);
  ASSERT_GT(before.heap_in_use, 0u) << "no heap figure";
  EXPECT_LE(after.heap_in_use, before.heap_in_use + 16 * 1024);
}

}  // namespace
}  // namespace tindrel::win
