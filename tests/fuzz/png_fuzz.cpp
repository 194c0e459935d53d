// libFuzzer entry for hostile pictures: every input is decoded as a PNG held in memory, and what
// decodes is checked and imported as a skin bitmap, exactly as a skin file would be. Anything
// other than the decoder's own Error is a finding; so is a bitmap that breaks the premultiplied
// form. Built with clang, AddressSanitizer and UndefinedBehaviorSanitizer (cmake/fuzz.cmake).
//
// At exit it prints the largest single allocation made while an input was being handled, so that
// a run shows how much memory a hostile file could make the decoder take.

#include <sanitizer/allocator_interface.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "base/error.h"
#include "render/alpha_bitmap.h"
#include "render/png_decoder.h"
#include "render/skin.h"

namespace {

// The allocator hooks are plain C callbacks without a context pointer; these are the fuzzer
// process's only state besides libFuzzer's.
std::atomic<bool> handling_input{false};
std::atomic<std::size_t> largest_allocation{0};

void OnAllocation(const volatile void*, std::size_t size) {
  if (!handling_input.load(std::memory_order_relaxed)) return;
  std::size_t seen = largest_allocation.load(std::memory_order_relaxed);
  while (size > seen && !largest_allocation.compare_exchange_weak(seen, size)) {
  }
}

void OnRelease(const volatile void*) {}

void PrintLargestAllocation() {
  std::printf("largest allocation while handling an input: %zu bytes\n", largest_allocation.load());
  std::fflush(stdout);
}

void Fail(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

// Colour types with alpha rows end premultiplied (no colour byte above its A); all others keep
// their colours with A = 0 in every pixel.
void CheckImported(const tindrel::DecodedPng& png, const tindrel::FrameBitmap& bitmap) {
  if (bitmap.Width() != png.width || bitmap.Height() != png.height) Fail("bitmap size differs");
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* pixel = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, pixel += 4) {
      const std::uint8_t a = pixel[tindrel::kAlpha];
      if (!png.HasAlphaRows() && a != 0) Fail("alpha set for a picture without alpha rows");
      if (png.HasAlphaRows() && (pixel[0] > a || pixel[1] > a || pixel[2] > a)) {
        Fail("colour above its alpha");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __sanitizer_install_malloc_and_free_hooks(OnAllocation, OnRelease);
  std::atexit(PrintLargestAllocation);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  handling_input = true;
  try {
    const tindrel::DecodedPng png = tindrel::DecodePngBytes(data, size);
    png.CheckConsistent();
    CheckImported(png, tindrel::PngToAlphaBitmap(png, tindrel::kSkinFill));
  } catch (const tindrel::Error&) {
    // A refused picture is the expected answer to most inputs.
  }
  handling_input = false;
  return 0;
}
