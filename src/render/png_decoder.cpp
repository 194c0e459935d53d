#include "render/png_decoder.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/error.h"
#include "app/file_system.h"
#include "render/frame_bitmap.h"

namespace tindrel {
namespace {

// Bounds for what a hostile file can make libpng allocate besides the pixels themselves.
constexpr png_alloc_size_t kMaxChunkBytes = 4u << 20;
constexpr png_uint_32 kMaxStoredChunks = 16;
constexpr std::size_t kSignatureBytes = 8;

// Where libpng's input comes from. Plain data: the read callback runs inside libpng's C frames.
struct InputSource {
  std::FILE* file = nullptr;
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
  std::size_t offset = 0;
};

// What the callbacks record. Plain data, so that a longjmp may pass over it.
struct DecoderLog {
  char error[256];
  char warning[256];
};

std::size_t ReadFromSource(InputSource& source, void* out, std::size_t count) {
  if (source.file) return std::fread(out, 1, count, source.file);
  const std::size_t n = std::min(count, source.size - source.offset);
  if (n > 0) std::memcpy(out, source.bytes + source.offset, n);
  source.offset += n;
  return n;
}

void CopyMessage(char (&target)[256], const char* message) {
  std::snprintf(target, sizeof target, "%s", message ? message : "");
}

// libpng's error path: the message is recorded and control goes straight back to the setjmp of
// the stage that called into libpng. Returning instead would let libpng print to stderr first.
void OnPngError(png_structp png, png_const_charp message) {
  CopyMessage(static_cast<DecoderLog*>(png_get_error_ptr(png))->error, message);
  png_longjmp(png, 1);
}

// Warnings are about damage libpng has stepped around; the last one explains a later error.
void OnPngWarning(png_structp png, png_const_charp message) {
  CopyMessage(static_cast<DecoderLog*>(png_get_error_ptr(png))->warning, message);
}

void ReadInput(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<InputSource*>(png_get_io_ptr(png));
  if (ReadFromSource(*source, out, count) == count) return;
  png_error(png,
            source->file && std::ferror(source->file) ? "Read error" : "Unexpected end of file");
}

// Owns libpng's read and info structures.
class PngReader {
 public:
  explicit PngReader(DecoderLog* log)
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, log, OnPngError, OnPngWarning)),
        info_(png_ ? png_create_info_struct(png_) : nullptr) {
    if (!info_) {
      Destroy();
      throw Error("Out of memory while decoding a PNG picture");
    }
  }
  ~PngReader() { Destroy(); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  void Destroy() {
    if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
  }
  png_structp png_;
  png_infop info_;
};

// The stages below are the only code that calls libpng functions able to fail. Each sets the jump
// target itself and keeps only trivially destructible locals, so a longjmp out of libpng skips no
// destructor; it returns false when libpng failed, with the message in the DecoderLog.

bool PrepareStage(png_structp png, InputSource* source) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, source, ReadInput);
  png_set_sig_bytes(png, static_cast<int>(kSignatureBytes));
  png_set_user_limits(png, kMaxBitmapSide, kMaxBitmapSide);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  png_set_chunk_cache_max(png, kMaxStoredChunks);
  // Only the pixels, the palette, tRNS and gAMA matter. Every other chunk is skipped unread, and
  // gAMA is kept raw, so that sRGB, cHRM or iCCP cannot change the value the colours are mapped by.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS,
                              reinterpret_cast<png_const_bytep>("gAMA"), 1);
  return true;
}

bool ReadHeaderStage(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  return true;
}

// Every colour type and depth becomes 8-bit R, G, B, A: palettes resolved, grey widened, tRNS
// turned into the A byte (compared at the picture's own depth), 16 bits cut to the high byte, and
// 255 as A where the picture has no transparency at all.
bool SetTransformsStage(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  // From here on the data is the picture itself: damage in it is an error, not a warning.
  png_set_benign_errors(png, 0);
  return true;
}

bool ReadRowStage(png_structp png, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_row(png, row, nullptr);
  return true;
}

bool ReadImageStage(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  return true;
}

bool ReadEndStage(png_structp png) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_end(png, nullptr);
  return true;
}

class DecodeFailure {
 public:
  explicit DecodeFailure(const std::string& name) : name_(name) {}
  Error operator()(const std::string& reason) const {
    if (name_.empty()) return Error("Cannot decode the PNG picture: " + reason);
    return Error("Cannot decode the PNG picture \"" + name_ + "\": " + reason);
  }
  Error FromLibpng(const DecoderLog& log) const {
    std::string reason = log.error;
    // libpng names the broken header field only in the warning before this summary.
    if (reason == "Invalid IHDR data" && log.warning[0] != '\0') {
      reason += std::string(" (") + log.warning + ")";
    }
    return (*this)(reason);
  }

 private:
  std::string name_;
};

void CheckSignature(InputSource& source, const DecodeFailure& fail) {
  png_byte signature[kSignatureBytes] = {};
  const std::size_t n = ReadFromSource(source, signature, kSignatureBytes);
  if (n == 0) throw fail("The file is empty");
  if (n < kSignatureBytes || png_sig_cmp(signature, 0, kSignatureBytes) != 0) {
    throw fail("Not a PNG file");
  }
}

void CheckPictureSize(png_uint_32 width, png_uint_32 height, const DecodeFailure& fail) {
  const auto pixels = static_cast<std::uint64_t>(width) * height;
  if (width > static_cast<png_uint_32>(kMaxBitmapSide) ||
      height > static_cast<png_uint_32>(kMaxBitmapSide) ||
      pixels > static_cast<std::uint64_t>(kMaxBitmapPixels)) {
    throw fail(std::to_string(width) + " x " + std::to_string(height) +
               " pixels is more than the " + std::to_string(kMaxBitmapPixels) + " pixels allowed");
  }
}

// The raw value of the first well-formed gAMA chunk, 0 when there is none.
std::uint32_t StoredGama(png_structp png, png_infop info) {
  png_unknown_chunkp chunks = nullptr;
  const int count = png_get_unknown_chunks(png, info, &chunks);
  for (int i = 0; i < count; ++i) {
    const png_unknown_chunk& chunk = chunks[i];
    if (std::memcmp(chunk.name, "gAMA", 4) != 0 || chunk.size != 4) continue;
    return png_get_uint_32(chunk.data);
  }
  return 0;
}

void ApplyGamma(DecodedPng& picture, std::uint32_t gama) {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = GammaMapped(static_cast<std::uint8_t>(c), gama);
  for (auto& sample : picture.colours) sample = table[sample];
}

// Splits one R, G, B, A row into the picture's colours and, where the picture keeps them, its
// alpha row or tRNS transparency.
void StoreRow(const png_byte* rgba, int y, DecodedPng& picture) {
  const std::size_t first = static_cast<std::size_t>(y) * picture.width;
  std::uint8_t* colour = picture.colours.data() + first * 3;
  std::vector<std::uint8_t>& kept = picture.HasAlphaRows() ? picture.alpha : picture.transparency;
  std::uint8_t* alpha = kept.empty() ? nullptr : kept.data() + first;
  for (int x = 0; x < picture.width; ++x, rgba += 4, colour += 3) {
    colour[0] = rgba[0];
    colour[1] = rgba[1];
    colour[2] = rgba[2];
    if (alpha) alpha[x] = rgba[3];
  }
}

void ReadPixels(png_structp png, png_infop info, const DecoderLog& log, const DecodeFailure& fail,
                DecodedPng& picture) {
  const std::size_t row_bytes = static_cast<std::size_t>(picture.width) * 4;
  if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
    std::vector<png_byte> row(row_bytes);
    for (int y = 0; y < picture.height; ++y) {
      if (!ReadRowStage(png, row.data())) throw fail.FromLibpng(log);
      StoreRow(row.data(), y, picture);
    }
    return;
  }
  // Interlaced passes fill the rows bit by bit, so the whole picture must be at hand.
  std::vector<png_byte> image(row_bytes * picture.height);
  std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) rows[y] = image.data() + row_bytes * y;
  if (!ReadImageStage(png, rows.data())) throw fail.FromLibpng(log);
  for (int y = 0; y < picture.height; ++y) StoreRow(rows[y], y, picture);
}

DecodedPng Decode(InputSource& source, const std::string& name) {
  const DecodeFailure fail(name);
  CheckSignature(source, fail);

  DecoderLog log{};
  PngReader reader(&log);
  png_structp png = reader.png();
  png_infop info = reader.info();
  if (!PrepareStage(png, &source) || !ReadHeaderStage(png, info)) throw fail.FromLibpng(log);

  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  CheckPictureSize(width, height, fail);
  const std::uint32_t gama = StoredGama(png, info);
  const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const int colour_type = png_get_color_type(png, info);  // before the transforms change it

  if (!SetTransformsStage(png, info)) throw fail.FromLibpng(log);
  if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 4 ||
      png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 4) {
    throw fail("Unsupported pixel format");
  }

  DecodedPng picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.colour_type = colour_type;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  picture.colours.resize(pixels * 3);
  if (picture.HasAlphaRows()) {
    picture.alpha.resize(pixels);
  } else if (has_trns) {
    picture.transparency.resize(pixels);
  }

  ReadPixels(png, info, log, fail, picture);
  if (!ReadEndStage(png)) throw fail.FromLibpng(log);

  const bool rgb = picture.colour_type == kPngRgb || picture.colour_type == kPngRgbAlpha;
  if (rgb && gama != 0) ApplyGamma(picture, gama);
  return picture;
}

}  // namespace

const std::uint8_t* DecodedPng::CompositingAlphaRow(int y) const {
  if (!alpha.empty()) return AlphaRow(y);
  if (!transparency.empty()) return transparency.data() + static_cast<std::size_t>(y) * width;
  return nullptr;
}

void DecodedPng::CheckConsistent() const {
  const bool known_type = colour_type == kPngGrey || colour_type == kPngRgb ||
                          colour_type == kPngPalette || HasAlphaRows();
  if (width < 0 || height < 0 || !known_type) throw Error("Invalid decoded PNG picture");
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  const bool alpha_ok = alpha.size() == (HasAlphaRows() ? pixels : 0);
  const bool transparency_ok =
      transparency.empty() || (!HasAlphaRows() && transparency.size() == pixels);
  if (colours.size() != pixels * 3 || !alpha_ok || !transparency_ok) {
    throw Error("Invalid decoded PNG picture");
  }
}

DecodedPng DecodePngFile(const std::string& utf8_path) {
  InputFile file = OpenFileForReading(utf8_path);
  InputSource source;
  source.file = file.get();
  return Decode(source, utf8_path);
}

DecodedPng DecodePngBytes(const std::uint8_t* bytes, std::size_t size) {
  InputSource source;
  source.bytes = bytes;
  source.size = bytes ? size : 0;
  return Decode(source, std::string());
}

DecodedPng DecodePngBytes(const std::vector<std::uint8_t>& bytes) {
  return DecodePngBytes(bytes.data(), bytes.size());
}

std::uint8_t GammaMapped(std::uint8_t sample, std::uint32_t gama) {
  if (gama == 0) return sample;  // a zero gAMA says nothing
  const double exponent = 1.0 / (gama / 100000.0 * 2.2);
  const double value = 255.0 * std::pow(sample / 255.0, exponent);
  return static_cast<std::uint8_t>(std::min(RoundHalfToEven(value), 255.0));
}

double RoundHalfToEven(double value) {
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return whole;
}

}  // namespace tindrel
