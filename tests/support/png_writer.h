#pragma once
// Makes PNG files for the tests: well-formed ones of every colour type and depth through libpng,
// and hand-assembled chunk streams for damaged and hostile ones. With TINDREL_PNG_SEEDS naming a
// folder, every picture made here or checked by DecodeError is also saved there, named by its
// content, as a starting point for the decoder's fuzzer (scripts/fuzz.sh).

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "render/png_decoder.h"

namespace tindrel::test {

using Bytes = std::vector<std::uint8_t>;

struct PngRecipe {
  int width = 1;
  int height = 1;
  int color_type = PNG_COLOR_TYPE_RGB;
  int bit_depth = 8;
  bool interlaced = false;
  // Raw samples at the bit depth, channels interleaved, rows from the top (palette: indices).
  std::vector<std::uint16_t> samples;
  std::vector<std::array<std::uint8_t, 3>> palette;  // R, G, B
  std::vector<std::uint8_t> palette_alpha;           // tRNS of a palette picture
  bool color_key = false;                            // tRNS of a grey or RGB picture
  std::uint16_t key_grey = 0, key_red = 0, key_green = 0, key_blue = 0;
  std::uint32_t gama = 0;  // written as gAMA when non-zero
};

inline int ChannelsOf(int color_type) {
  switch (color_type) {
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

// Packs the samples of each row as PNG stores them: big-endian, several to a byte below 8 bits.
inline std::vector<Bytes> PackRows(const PngRecipe& recipe) {
  const int per_row = recipe.width * ChannelsOf(recipe.color_type);
  std::vector<Bytes> rows(static_cast<std::size_t>(recipe.height));
  for (int y = 0; y < recipe.height; ++y) {
    Bytes& row = rows[y];
    const std::uint16_t* s = recipe.samples.data() + static_cast<std::size_t>(y) * per_row;
    if (recipe.bit_depth == 16) {
      for (int i = 0; i < per_row; ++i) {
        row.push_back(static_cast<std::uint8_t>(s[i] >> 8));
        row.push_back(static_cast<std::uint8_t>(s[i] & 0xFF));
      }
    } else {
      row.assign(static_cast<std::size_t>((per_row * recipe.bit_depth + 7) / 8), 0);
      for (int i = 0; i < per_row; ++i) {
        const int bit = i * recipe.bit_depth;
        const int shift = 8 - recipe.bit_depth - bit % 8;
        row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | (s[i] << shift));
      }
    }
  }
  return rows;
}

// Saves the picture into the folder TINDREL_PNG_SEEDS names, if any; the name is a hash of the
// content, so a picture made by several tests is kept once.
inline void KeepAsFuzzSeed(const Bytes& png) {
  const char* folder = std::getenv("TINDREL_PNG_SEEDS");
  if (!folder || !*folder || png.empty()) return;
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (std::uint8_t byte : png) hash = (hash ^ byte) * 1099511628211ull;
  char name[32];
  std::snprintf(name, sizeof name, "/%016llx.png", static_cast<unsigned long long>(hash));
  std::ofstream file(std::string(folder) + name, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

inline void AppendOutput(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
inline void FlushNothing(png_structp) {}

// libpng's writer; a longjmp out of it only passes this function's trivial locals.
inline bool WriteStage(png_structp png, png_infop info, const PngRecipe& recipe, png_bytepp rows,
                       Bytes* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendOutput, FlushNothing);
  png_set_IHDR(png, info, recipe.width, recipe.height, recipe.bit_depth, recipe.color_type,
               recipe.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!recipe.palette.empty()) {
    png_color colors[256];
    for (std::size_t i = 0; i < recipe.palette.size(); ++i) {
      colors[i] = {recipe.palette[i][0], recipe.palette[i][1], recipe.palette[i][2]};
    }
    png_set_PLTE(png, info, colors, static_cast<int>(recipe.palette.size()));
  }
  if (!recipe.palette_alpha.empty()) {
    png_set_tRNS(png, info, recipe.palette_alpha.data(),
                 static_cast<int>(recipe.palette_alpha.size()), nullptr);
  }
  if (recipe.color_key) {
    png_color_16 key{};
    key.gray = recipe.key_grey;
    key.red = recipe.key_red;
    key.green = recipe.key_green;
    key.blue = recipe.key_blue;
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  if (recipe.gama != 0) png_set_gAMA_fixed(png, info, static_cast<png_fixed_point>(recipe.gama));
  png_set_rows(png, info, rows);
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

inline Bytes WritePng(const PngRecipe& recipe) {
  std::vector<Bytes> rows = PackRows(recipe);
  std::vector<png_bytep> row_pointers;
  for (Bytes& row : rows) row_pointers.push_back(row.data());
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  const bool written = WriteStage(png, info, recipe, row_pointers.data(), &out);
  png_destroy_write_struct(&png, &info);
  EXPECT_TRUE(written) << "libpng could not write the test picture";
  KeepAsFuzzSeed(out);
  return out;
}

// An 8-bit RGBA picture from R, G, B, A quadruples.
inline Bytes RgbaPng(int width, int height, const std::vector<std::uint16_t>& rgba) {
  PngRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
  recipe.samples = rgba;
  return WritePng(recipe);
}

// An 8-bit RGB picture from R, G, B triples.
inline Bytes RgbPng(int width, int height, const std::vector<std::uint16_t>& rgb) {
  PngRecipe recipe;
  recipe.width = width;
  recipe.height = height;
  recipe.samples = rgb;
  return WritePng(recipe);
}

// ---- hand-assembled chunk streams ----

inline Bytes Signature() {
  return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
}

inline void PutUint32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void StoreUint32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

inline Bytes Chunk(const char* type, const Bytes& data) {
  Bytes chunk(data.size() + 12);
  StoreUint32(chunk.data(), static_cast<std::uint32_t>(data.size()));
  std::memcpy(chunk.data() + 4, type, 4);
  if (!data.empty()) std::memcpy(chunk.data() + 8, data.data(), data.size());
  const uLong crc = crc32(0L, chunk.data() + 4, static_cast<uInt>(data.size() + 4));
  StoreUint32(chunk.data() + 8 + data.size(), static_cast<std::uint32_t>(crc));
  return chunk;
}

inline Bytes IhdrData(std::uint32_t width, std::uint32_t height, int depth, int color_type,
                      bool interlaced = false) {
  Bytes data;
  PutUint32(data, width);
  PutUint32(data, height);
  data.push_back(static_cast<std::uint8_t>(depth));
  data.push_back(static_cast<std::uint8_t>(color_type));
  data.push_back(0);                   // compression
  data.push_back(0);                   // filter
  data.push_back(interlaced ? 1 : 0);  // Adam7 or none
  return data;
}

// A zlib stream of `count` zero bytes, deflated piecewise so that no buffer of that size exists.
inline Bytes ZlibOfZeros(std::size_t count) {
  z_stream z{};
  deflateInit(&z, Z_BEST_COMPRESSION);
  static const std::uint8_t kZeros[65536] = {};
  Bytes out;
  std::uint8_t buffer[65536];
  std::size_t left = count;
  int flush = Z_NO_FLUSH;
  do {
    const std::size_t piece = std::min(left, sizeof kZeros);
    left -= piece;
    flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = const_cast<std::uint8_t*>(kZeros);
    z.avail_in = static_cast<uInt>(piece);
    do {
      z.next_out = buffer;
      z.avail_out = sizeof buffer;
      deflate(&z, flush);
      out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    } while (z.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&z);
  return out;
}

// An 8-bit picture of that colour type whose one IDAT holds `zero_bytes` zeros.
inline Bytes PngOfZeros(std::uint32_t width, std::uint32_t height, int color_type, bool interlaced,
                        std::size_t zero_bytes) {
  Bytes png = Signature();
  const Bytes ihdr = Chunk("IHDR", IhdrData(width, height, 8, color_type, interlaced));
  const Bytes idat = Chunk("IDAT", ZlibOfZeros(zero_bytes));
  const Bytes iend = Chunk("IEND", {});
  png.insert(png.end(), ihdr.begin(), ihdr.end());
  png.insert(png.end(), idat.begin(), idat.end());
  png.insert(png.end(), iend.begin(), iend.end());
  return png;
}

// A grey 8-bit picture whose one IDAT holds `zero_bytes` zeros (each row: filter byte + width).
inline Bytes GreyPngOfZeros(std::uint32_t width, std::uint32_t height, std::size_t zero_bytes) {
  return PngOfZeros(width, height, 0, false, zero_bytes);
}

// Offset of the first chunk of that type (its length field), or npos.
inline std::size_t FindChunk(const Bytes& png, const char* type) {
  std::size_t at = 8;
  while (at + 8 <= png.size()) {
    const std::uint32_t length =
        (std::uint32_t{png[at]} << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
    if (std::memcmp(&png[at + 4], type, 4) == 0) return at;
    at += 12 + static_cast<std::size_t>(length);
  }
  return std::string::npos;
}

// The picture with one more chunk placed right after IHDR.
inline Bytes WithChunkAfterHeader(Bytes png, const char* type, const Bytes& data) {
  const Bytes chunk = Chunk(type, data);
  png.insert(png.begin() + 8 + 25, chunk.begin(), chunk.end());
  return png;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
  KeepAsFuzzSeed(bytes);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(file.good()) << "cannot write " << path;
}

// The decoder's message for a damaged picture, or "" when it decodes.
inline std::string DecodeError(const Bytes& bytes) {
  KeepAsFuzzSeed(bytes);
  try {
    DecodePngBytes(bytes);
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

}  // namespace tindrel::test
