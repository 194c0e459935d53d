#include "render/png_decoder.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/error.h"
#include "base/file_system.h"
#include "render/frame_bitmap.h"

namespace tindrel {
namespace {

// Bounds for what a hostile file can make libpng allocate besides the pixels themselves.
constexpr png_alloc_size_t kMaxChunkBytes = 4u << 20;
constexpr png_uint_32 kMaxStoredChunks = 16;
constexpr std::size_t kSignatureBytes = 8;

// The gAMA chunk as the bytes pass from the input to libpng. libpng keeps a chunk that it does not
// interpret even when its CRC is wrong, while it drops a damaged chunk it knows (tRNS); so the
// decoder takes the gAMA value only from a chunk whose CRC it has checked itself, and a damaged
// gAMA counts as absent, like every other damaged ancillary chunk. Plain data, like its owner.
struct GammaWatch {
  bool in_gama = false;          // the chunk being read is a gAMA chunk that may count
  bool image_data_seen = false;  // gAMA after the first IDAT does not count
  bool found = false;            // the first good gAMA has been taken
  std::uint32_t crc = 0;         // running CRC of the gAMA chunk's type and data
  std::uint8_t data[4] = {};
  std::size_t data_bytes = 0;
  std::uint32_t gama = 0;  // its value once found
};

// Where libpng's input comes from. Plain data: the read callback runs inside libpng's C frames.
struct InputSource {
  std::FILE* file = nullptr;
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
  std::size_t offset = 0;
  GammaWatch gamma;
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

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

std::uint32_t ChunkCrc(std::uint32_t crc, const std::uint8_t* bytes, std::size_t count) {
  return static_cast<std::uint32_t>(crc32(crc, bytes, static_cast<uInt>(count)));
}

void WatchChunkHeader(GammaWatch& watch, const std::uint8_t* header) {
  const std::uint8_t* type = header + 4;
  watch.in_gama = !watch.found && !watch.image_data_seen && std::memcmp(type, "gAMA", 4) == 0;
  if (std::memcmp(type, "IDAT", 4) == 0) watch.image_data_seen = true;
  watch.crc = ChunkCrc(0, type, 4);
  watch.data_bytes = 0;
}

void WatchChunkData(GammaWatch& watch, const std::uint8_t* bytes, std::size_t count) {
  watch.crc = ChunkCrc(watch.crc, bytes, count);
  for (std::size_t i = 0; i < count && watch.data_bytes + i < sizeof watch.data; ++i) {
    watch.data[watch.data_bytes + i] = bytes[i];
  }
  watch.data_bytes += count;
}

void WatchChunkCrc(GammaWatch& watch, const std::uint8_t* stored) {
  if (watch.data_bytes == sizeof watch.data && BigEndian32(stored) == watch.crc) {
    watch.gama = BigEndian32(watch.data);
    watch.found = true;
  }
  watch.in_gama = false;
}

// libpng says which part of a chunk each read is for; only gAMA chunks are followed further.
void WatchForGamma(png_structp png, GammaWatch& watch, const png_byte* bytes, std::size_t count) {
  const png_uint_32 location = png_get_io_state(png) & PNG_IO_MASK_LOC;
  if (location == PNG_IO_CHUNK_HDR && count == 8) {
    WatchChunkHeader(watch, bytes);
  } else if (!watch.in_gama) {
    return;
  } else if (location == PNG_IO_CHUNK_DATA) {
    WatchChunkData(watch, bytes, count);
  } else if (location == PNG_IO_CHUNK_CRC && count == 4) {
    WatchChunkCrc(watch, bytes);
  }
}

void ReadInput(png_structp png, png_bytep out, png_size_t count) {
  auto* source = static_cast<InputSource*>(png_get_io_ptr(png));
  if (ReadFromSource(*source, out, count) != count) {
    png_error(png,
              source->file && std::ferror(source->file) ? "Read error" : "Unexpected end of file");
  }
  WatchForGamma(png, source->gamma, out, count);
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
  // Only the pixels, the palette, tRNS and gAMA matter. Every other chunk, gAMA included, is
  // skipped uninterpreted; the gAMA value is taken raw as the chunk passes (GammaWatch), so that
  // sRGB, cHRM or iCCP cannot change the value the colours are mapped by.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
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
  // No interlace handling: interlaced pictures are read pass by pass (ReadInterlacedPixels).
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

void ApplyGamma(DecodedPng& picture, std::uint32_t gama) {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = GammaMapped(static_cast<std::uint8_t>(c), gama);
  for (auto& sample : picture.colors) sample = table[sample];
}

// Where a picture keeps the A byte of its decoded pixels: its alpha rows, its tRNS transparency,
// or nowhere.
std::vector<std::uint8_t>* KeptAlpha(DecodedPng& picture, bool has_trns) {
  if (picture.HasAlphaRows()) return &picture.alpha;
  return has_trns ? &picture.transparency : nullptr;
}

// Makes `buffer` `size` bytes long, reserving at most twice what it held, and never more than
// `whole`: memory is taken in step with the rows actually decoded, so a small file that declares
// a huge picture runs out of data long before its declared size is reserved.
void GrowInStep(std::vector<std::uint8_t>& buffer, std::size_t size, std::size_t whole) {
  if (size > buffer.capacity()) {
    buffer.reserve(std::min(whole, std::max(size, buffer.capacity() * 2)));
  }
  buffer.resize(size);
}

// Splits one R, G, B, A pixel into the picture's colours and, where kept, its alpha.
void StorePixel(const png_byte* rgba, std::size_t index, DecodedPng& picture,
                std::vector<std::uint8_t>* alpha) {
  std::uint8_t* color = picture.colors.data() + index * 3;
  color[0] = rgba[0];
  color[1] = rgba[1];
  color[2] = rgba[2];
  if (alpha) (*alpha)[index] = rgba[3];
}

void ReadPlainPixels(png_structp png, const DecoderLog& log, const DecodeFailure& fail,
                     bool has_trns, DecodedPng& picture) {
  const std::size_t width = static_cast<std::size_t>(picture.width);
  const std::size_t pixels = width * picture.height;
  std::vector<std::uint8_t>* alpha = KeptAlpha(picture, has_trns);
  std::vector<png_byte> row(width * 4);
  for (int y = 0; y < picture.height; ++y) {
    if (!ReadRowStage(png, row.data())) throw fail.FromLibpng(log);
    const std::size_t first = static_cast<std::size_t>(y) * width;
    GrowInStep(picture.colors, (first + width) * 3, pixels * 3);
    if (alpha) GrowInStep(*alpha, first + width, pixels);
    for (std::size_t x = 0; x < width; ++x) StorePixel(&row[x * 4], first + x, picture, alpha);
  }
}

// An Adam7 pass fills every picture row bit by bit, so the passes are kept as they arrive, each a
// small picture of its own in a buffer that grows with the data, and placed into the picture once
// all of them are in: the full picture is reserved only when its data has actually been decoded.
void ReadInterlacedPixels(png_structp png, const DecoderLog& log, const DecodeFailure& fail,
                          bool has_trns, DecodedPng& picture) {
  const png_uint_32 width = static_cast<png_uint_32>(picture.width);
  const png_uint_32 height = static_cast<png_uint_32>(picture.height);
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 4);  // libpng writes a full row
  std::vector<png_byte> passes;
  for (int pass = 0; pass < 7; ++pass) {
    const std::size_t pass_bytes = static_cast<std::size_t>(PNG_PASS_COLS(width, pass)) * 4;
    if (pass_bytes == 0) continue;
    for (png_uint_32 y = 0; y < PNG_PASS_ROWS(height, pass); ++y) {
      if (!ReadRowStage(png, row.data())) throw fail.FromLibpng(log);
      GrowInStep(passes, passes.size() + pass_bytes, pixels * 4);
      std::memcpy(passes.data() + passes.size() - pass_bytes, row.data(), pass_bytes);
    }
  }
  std::vector<std::uint8_t>* alpha = KeptAlpha(picture, has_trns);
  picture.colors.resize(pixels * 3);
  if (alpha) alpha->resize(pixels);
  const png_byte* rgba = passes.data();
  for (int pass = 0; pass < 7; ++pass) {
    const png_uint_32 columns = PNG_PASS_COLS(width, pass);
    const png_uint_32 rows = columns == 0 ? 0 : PNG_PASS_ROWS(height, pass);
    for (png_uint_32 y = 0; y < rows; ++y) {
      const std::size_t first = static_cast<std::size_t>(PNG_ROW_FROM_PASS_ROW(y, pass)) * width;
      for (png_uint_32 x = 0; x < columns; ++x, rgba += 4) {
        StorePixel(rgba, first + PNG_COL_FROM_PASS_COL(x, pass), picture, alpha);
      }
    }
  }
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
  const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  const int color_type = png_get_color_type(png, info);  // before the transforms change it

  if (!SetTransformsStage(png, info)) throw fail.FromLibpng(log);
  if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 4 ||
      png_get_bit_depth(png, info) != 8 || png_get_channels(png, info) != 4) {
    throw fail("Unsupported pixel format");
  }

  DecodedPng picture;
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  picture.color_type = color_type;
  if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
    ReadPlainPixels(png, log, fail, has_trns, picture);
  } else {
    ReadInterlacedPixels(png, log, fail, has_trns, picture);
  }
  if (!ReadEndStage(png)) throw fail.FromLibpng(log);

  const bool rgb = picture.color_type == kPngRgb || picture.color_type == kPngRgbAlpha;
  const std::uint32_t gama = source.gamma.found ? source.gamma.gama : 0;
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
  const bool known_type = color_type == kPngGrey || color_type == kPngRgb ||
                          color_type == kPngPalette || HasAlphaRows();
  if (width < 0 || height < 0 || !known_type) throw Error("Invalid decoded PNG picture");
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  const bool alpha_ok = alpha.size() == (HasAlphaRows() ? pixels : 0);
  const bool transparency_ok =
      transparency.empty() || (!HasAlphaRows() && transparency.size() == pixels);
  if (colors.size() != pixels * 3 || !alpha_ok || !transparency_ok) {
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
