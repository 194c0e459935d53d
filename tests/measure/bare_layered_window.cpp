// The yardstick of scripts/measure.sh: a bare per-pixel transparent window that does what every
// layered widget must do and nothing else. It presents one picture of the given size every 220 ms
// (the widget's refresh rate) and runs an idle 25 ms timer (the widget's star timer).
//
//   bare_layered_window WIDTH HEIGHT
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT_PTR kIdleTimer = 2;
constexpr wchar_t kClassName[] = L"BareLayeredWindow";

// The one picture this program shows, selected into its own memory device context.
struct Picture {
  Picture() = default;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  ~Picture() {
    if (dc) {
      SelectObject(dc, previous);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
  }
  bool Make(int width, int height);

  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  SIZE size{};
};

// A premultiplied round shape, so the window is as transparent in places as a skin is.
bool Picture::Make(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) return false;
  auto* p = static_cast<std::uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, p += 4) {
      const int dx = 2 * x - width, dy = 2 * y - height;
      const bool inside = static_cast<long long>(dx) * dx * height * height +
                              static_cast<long long>(dy) * dy * width * width <=
                          static_cast<long long>(width) * width * height * height;
      const std::uint8_t a = inside ? 255 : 0;
      p[0] = static_cast<std::uint8_t>(200 * a / 255);
      p[1] = static_cast<std::uint8_t>((x % 256) * a / 255);
      p[2] = static_cast<std::uint8_t>((y % 256) * a / 255);
      p[3] = a;
    }
  }
  dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  previous = SelectObject(dc, bitmap);
  size = SIZE{width, height};
  return true;
}

void Present(HWND window, Picture& picture) {
  RECT rect{};
  GetWindowRect(window, &rect);
  POINT position{rect.left, rect.top};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  HDC screen = GetDC(nullptr);
  UpdateLayeredWindow(window, screen, &position, &picture.size, picture.dc, &source, 0, &blend,
                      ULW_ALPHA);
  ReleaseDC(nullptr, screen);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* picture = reinterpret_cast<Picture*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_TIMER:
      if (wparam == kRefreshTimer && picture) Present(window, *picture);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int main(int argc, char** argv) {
  const int width = argc > 2 ? std::atoi(argv[1]) : 300;
  const int height = argc > 2 ? std::atoi(argv[2]) : 300;
  Picture picture;
  if (width <= 0 || height <= 0 || !picture.Make(width, height)) return 2;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kClassName;
  if (!RegisterClassExW(&window_class)) return 3;
  HWND window =
      CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 366, 216, width,
                      height, nullptr, nullptr, window_class.hInstance, &picture);
  if (!window) return 4;
  Present(window, picture);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, kRefreshTimer, 220, nullptr);
  SetTimer(window, kIdleTimer, 25, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
