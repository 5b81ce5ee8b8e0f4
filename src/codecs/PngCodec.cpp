// libpng reports errors by a longjmp to the jump point set in ReadInto; ReadInto keeps only
// plain data in its frame, the buffers with destructors belong to its caller.
#include "codecs/PngCodec.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/CodecSupport.h"

namespace qv {

namespace {

struct PngSource {
  const uint8_t* data;
  size_t size;
  size_t pos;
  char message[200];
};

void ReadData(png_structp png, png_bytep out, size_t length) {
  auto* src = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > src->size - src->pos) png_error(png, "the PNG data ends too early");
  std::memcpy(out, src->data + src->pos, length);
  src->pos += length;
}

void ErrorFn(png_structp png, png_const_charp message) {
  auto* src = static_cast<PngSource*>(png_get_error_ptr(png));
  std::snprintf(src->message, sizeof src->message, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}

void WarningFn(png_structp, png_const_charp) {}

struct PngBuffers {
  std::vector<png_bytep> rows;
  std::vector<uint8_t> rgba;  // whole picture, for pictures with alpha
};

bool ReadInto(png_structp png, png_infop info, Bitmap24* bmp, PngBuffers* buf) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colorType, &interlace, nullptr, nullptr);
  CheckPictureSize(width, height);

  // Everything to 8-bit blue, green, red (and alpha where the file has any transparency).
  png_set_expand(png);  // palette to RGB, low grey depths to 8 bits, tRNS to alpha
  if (depth == 16) png_set_scale_16(png);
  if (!(colorType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const int channels = png_get_channels(png, info);
  if (channels != 3 && channels != 4) png_error(png, "unexpected PNG pixel layout");

  bmp->SetSize(int(width), int(height));
  buf->rows.resize(height);
  if (channels == 3) {
    for (png_uint_32 y = 0; y < height; ++y) buf->rows[y] = bmp->Row(int(y));
    png_read_image(png, buf->rows.data());
    return true;
  }
  buf->rgba.resize(size_t(width) * height * 4);
  for (png_uint_32 y = 0; y < height; ++y) buf->rows[y] = buf->rgba.data() + size_t(y) * width * 4;
  png_read_image(png, buf->rows.data());
  for (png_uint_32 y = 0; y < height; ++y) {
    const uint8_t* s = buf->rows[y];
    uint8_t* d = bmp->Row(int(y));
    for (png_uint_32 x = 0; x < width; ++x, s += 4, d += 3) {
      d[0] = OverWhite(s[0], s[3]);
      d[1] = OverWhite(s[1], s[3]);
      d[2] = OverWhite(s[2], s[3]);
    }
  }
  return true;
}

}  // namespace

Bitmap24 DecodePngMemory(const uint8_t* data, size_t size) {
  PngSource src{data, size, 0, "PNG error"};
  if (size < 8 || png_sig_cmp(data, 0, 8) != 0) throw EPictureError("Not a PNG file");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &src, ErrorFn, WarningFn);
  if (!png) throw EPictureError("Cannot start the PNG decoder");
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    throw EPictureError("Cannot start the PNG decoder");
  }
  png_set_read_fn(png, &src, ReadData);
  Bitmap24 bmp;
  PngBuffers buffers;
  bool ok = false;
  try {
    ok = ReadInto(png, info, &bmp, &buffers);
  } catch (...) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw;
  }
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) throw EPictureError(std::string("Cannot decode PNG picture: ") + src.message);
  return bmp;
}

Bitmap24 DecodePngFile(const std::string& fileName) {
  std::string bytes = ReadPictureFile(fileName);
  return DecodePngMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace qv

namespace qv {
namespace {

struct PngSink {
  std::string bytes;
  char message[200];
};

void WriteData(png_structp png, png_bytep data, size_t length) {
  static_cast<PngSink*>(png_get_io_ptr(png))->bytes.append(reinterpret_cast<const char*>(data), length);
}

void FlushData(png_structp) {}

void WriteErrorFn(png_structp png, png_const_charp message) {
  auto* sink = static_cast<PngSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message ? message : "PNG error");
  png_longjmp(png, 1);
}

// Only plain data lives in this frame across the jump point; rgb holds one row.
bool WriteInto(PngSink& sink, const Bitmap24& picture, uint8_t* rgb) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, WriteErrorFn, WarningFn);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &sink, WriteData, FlushData);
  png_set_IHDR(png, info, png_uint_32(picture.Width()), png_uint_32(picture.Height()), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < picture.Height(); ++y) {
    const uint8_t* s = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      rgb[x * 3] = s[x * 3 + 2];
      rgb[x * 3 + 1] = s[x * 3 + 1];
      rgb[x * 3 + 2] = s[x * 3];
    }
    png_write_row(png, rgb);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::string EncodePng(const Bitmap24& picture) {
  if (picture.Empty()) throw EPictureError("Cannot write an empty picture as PNG");
  PngSink sink{};
  std::snprintf(sink.message, sizeof sink.message, "out of memory");
  std::vector<uint8_t> row(size_t(picture.Width()) * 3);
  if (!WriteInto(sink, picture, row.data())) throw EPictureError(std::string("PNG writing failed: ") + sink.message);
  return std::move(sink.bytes);
}

void SavePngFile(const Bitmap24& picture, const std::string& fileName) {
  const std::string bytes = EncodePng(picture);
  AtomicFileWriter out(fileName);
  out.Write(bytes);
  out.Commit();
}

}  // namespace qv
