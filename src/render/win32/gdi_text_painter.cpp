#include "render/win32/gdi_text_painter.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "base/error.h"
#include "base/stored_names.h"
#include "base/win32/last_error.h"
#include "base/win32/raii.h"
#include "base/win32/text_conversion.h"
#include "render/win32/dib.h"
#include "render/win32/private_font.h"

namespace tindrel::win {
LOGFONTW LogicalFontFor(const FontSpec& font) {
  LOGFONTW logical{};
  logical.lfHeight = font.height;
  logical.lfWeight = (font.style & font_style::kBold) ? FW_BOLD : FW_NORMAL;
  logical.lfItalic = (font.style & font_style::kItalic) ? TRUE : FALSE;
  logical.lfUnderline = (font.style & font_style::kUnderline) ? TRUE : FALSE;
  logical.lfStrikeOut = (font.style & font_style::kStrikeOut) ? TRUE : FALSE;
  logical.lfCharSet = DEFAULT_CHARSET;
  logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logical.lfQuality = DEFAULT_QUALITY;
  logical.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  const std::wstring face = Widen(font.face);
  const std::size_t length = std::min(face.size(), static_cast<std::size_t>(LF_FACESIZE - 1));
  std::copy_n(face.data(), length, logical.lfFaceName);
  return logical;
}

namespace {

// Default quality: text is smoothed the way the user's desktop smooths it.
ScopedFont CreateLogicalFont(const FontSpec& font) {
  const LOGFONTW logical = LogicalFontFor(font);
  ScopedFont handle(CreateFontIndirectW(&logical));
  if (!handle) ThrowLastError("CreateFontIndirectW");
  return handle;
}

ScopedMemoryDc CreateMemoryDc() {
  ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) ThrowLastError("CreateCompatibleDC");
  return dc;
}

}  // namespace

HDC GdiTextPainter::DeviceContext() {
  if (!dc_) dc_ = CreateMemoryDc();
  return dc_.get();
}

HDC GdiTextPainter::DeviceContextIn(const FontSpec& font) {
  const HDC dc = DeviceContext();
  if (font_spec_ && font_spec_->SameGlyphs(font)) return dc;
  ForgetFont();
  FontSpec drawn = font;
  drawn.face = FaceToDraw(font.face, stand_in_, FaceInstalled);
  font_ = CreateLogicalFont(drawn);
  font_selected_.emplace(dc, font_.get());
  if (!*font_selected_) {
    font_selected_.reset();
    ThrowLastError("SelectObject");
  }
  font_spec_ = font;
  return dc;
}

void GdiTextPainter::ForgetFont() {
  font_spec_.reset();
  font_selected_.reset();
  font_.reset();
}

void GdiTextPainter::SetFaceStandIn(FaceStandIn stand_in) {
  stand_in_ = std::move(stand_in);
  ForgetFont();
}

TextExtent GdiTextPainter::Measure(const FontSpec& font, const std::string& text) {
  const HDC dc = DeviceContextIn(font);
  const std::wstring wide = Widen(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size)) {
    ThrowLastError("GetTextExtentPoint32W");
  }
  return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

void GdiTextPainter::Draw(FrameBitmap& target, const FontSpec& font, const std::string& text, int x,
                          int y, Color color) {
  const HBITMAP dib = DibHandle(target);
  if (!dib || text.empty()) return;  // nothing to draw on, or nothing to draw
  const HDC dc = DeviceContextIn(font);
  // Selected for this drawing only: the bitmap may be freed once it is drawn on.
  const ScopedSelect bitmap_selected(dc, dib);
  if (!bitmap_selected) ThrowLastError("SelectObject");
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color & 0x00FFFFFF);
  const std::wstring wide = Widen(text);
  const BOOL drawn = TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
  // The pixels are read directly next; GDI may still hold the drawing in its batch.
  GdiFlush();
  if (!drawn) ThrowLastError("TextOutW");
}

}  // namespace tindrel::win
