// JPEG decoding and encoding through libjpeg-turbo. Errors inside the library come back
// through a longjmp to the function that set the jump point; that function keeps only plain
// data alive, and everything with a destructor lives in its caller.
#include "codecs/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/CodecSupport.h"

namespace qv {

namespace {

// A progressive file needs a handful of scans; thousands mean a file built to stall us.
constexpr int kMaxScans = 1000;

struct JpegErrors {
  jpeg_error_mgr mgr;  // first member: libjpeg hands back a pointer to it
  jpeg_progress_mgr progress;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

JpegErrors* ErrorsOf(j_common_ptr c) { return reinterpret_cast<JpegErrors*>(c->err); }

[[noreturn]] void ErrorExit(j_common_ptr c) {
  JpegErrors* e = ErrorsOf(c);
  c->err->format_message(c, e->message);
  std::longjmp(e->jump, 1);
}

void OutputMessage(j_common_ptr) {}  // warnings stay silent; the picture is still delivered

void ProgressMonitor(j_common_ptr c) {
  if (!c->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(c);
  if (d->input_scan_number > kMaxScans) {
    JpegErrors* e = ErrorsOf(c);
    std::snprintf(e->message, sizeof e->message, "Too many scans in the JPEG data");
    std::longjmp(e->jump, 1);
  }
}

jpeg_error_mgr* InitErrors(JpegErrors& e) {
  jpeg_std_error(&e.mgr);
  e.mgr.error_exit = ErrorExit;
  e.mgr.output_message = OutputMessage;
  e.progress = {};
  e.progress.progress_monitor = ProgressMonitor;
  e.message[0] = 0;
  return &e.mgr;
}

int ScaleDenominator(int scale) { return 1 << scale; }

int CeilDiv(int a, int n) { return (a + n - 1) / n; }

// Converts one decoded CMYK row to blue, green, red. Adobe writes the inks inverted (255 =
// no ink); other writers store them plainly.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    bgr[0] = MulDiv255(y, k);
    bgr[1] = MulDiv255(m, k);
    bgr[2] = MulDiv255(c, k);
  }
}

struct DecodeResult {
  int usedScale = 0;
};

// Runs the decoder; false with errors.message set when libjpeg gave up. Only plain data
// lives in this frame, so the longjmp back to it skips no destructor.
bool DecodeInto(jpeg_decompress_struct* cinfo, JpegErrors* errors, const uint8_t* data, size_t size, int scale,
                Bitmap24* bmp, DecodeResult* result) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(cinfo);
  cinfo->progress = &errors->progress;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(cinfo, TRUE);

  bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  if (!cmyk && cinfo->jpeg_color_space != JCS_GRAYSCALE && cinfo->jpeg_color_space != JCS_YCbCr &&
      cinfo->jpeg_color_space != JCS_RGB) {
    std::snprintf(errors->message, sizeof errors->message, "Unsupported JPEG colour format");
    return false;
  }
  CheckPictureSize(cinfo->image_width, cinfo->image_height);
  cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  cinfo->scale_num = 1;
  cinfo->scale_denom = ScaleDenominator(scale);
  cinfo->dct_method = JDCT_ISLOW;
  jpeg_calc_output_dimensions(cinfo);

  // Report the reduction the decoder really applied: the largest 1/n not above the request
  // whose rounded-up size matches the output.
  result->usedScale = 0;
  for (int s = scale; s > 0; --s) {
    int n = ScaleDenominator(s);
    if (int(cinfo->output_width) == CeilDiv(cinfo->image_width, n) &&
        int(cinfo->output_height) == CeilDiv(cinfo->image_height, n)) {
      result->usedScale = s;
      break;
    }
  }

  jpeg_start_decompress(cinfo);
  const int width = int(cinfo->output_width), height = int(cinfo->output_height);
  bmp->SetSize(width, height);
  if (cmyk) {
    JSAMPARRAY line =
        (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, JDIMENSION(width) * 4, 1);
    const bool inverted = cinfo->saw_Adobe_marker;
    while (cinfo->output_scanline < cinfo->output_height) {
      int y = int(cinfo->output_scanline);
      if (jpeg_read_scanlines(cinfo, line, 1) != 1) break;
      CmykRowToBgr(line[0], bmp->Row(y), width, inverted);
    }
  } else {
    // Straight into the bitmap's rows: libjpeg-turbo writes blue, green, red itself.
    constexpr int kBatch = 16;
    JSAMPROW rows[kBatch];
    while (cinfo->output_scanline < cinfo->output_height) {
      int y = int(cinfo->output_scanline);
      int n = height - y < kBatch ? height - y : kBatch;
      for (int i = 0; i < n; ++i) rows[i] = bmp->Row(y + i);
      if (jpeg_read_scanlines(cinfo, rows, JDIMENSION(n)) == 0) break;
    }
  }
  // The rest of the file (trailing markers, damage after the last row) does not matter, so
  // the decoder is dropped without jpeg_finish_decompress.
  return true;
}

// The encoder's output gathered in a string: libjpeg fills a fixed buffer, which is
// appended whenever it is full and at the end.
struct StringDestination {
  jpeg_destination_mgr mgr;  // first member: libjpeg hands back a pointer to it
  std::string* out;
  unsigned char buffer[64 * 1024];
};

StringDestination* DestinationOf(j_compress_ptr c) { return reinterpret_cast<StringDestination*>(c->dest); }

void InitDestination(j_compress_ptr c) {
  StringDestination* d = DestinationOf(c);
  d->mgr.next_output_byte = d->buffer;
  d->mgr.free_in_buffer = sizeof d->buffer;
}

// Called from inside libjpeg: no exception may leave it.
bool AppendOutput(j_compress_ptr c, size_t count) {
  StringDestination* d = DestinationOf(c);
  try {
    d->out->append(reinterpret_cast<const char*>(d->buffer), count);
  } catch (const std::exception&) {
    return false;
  }
  d->mgr.next_output_byte = d->buffer;
  d->mgr.free_in_buffer = sizeof d->buffer;
  return true;
}

[[noreturn]] void OutputTooLarge(j_compress_ptr c) {
  JpegErrors* e = ErrorsOf(reinterpret_cast<j_common_ptr>(c));
  std::snprintf(e->message, sizeof e->message, "Not enough memory for the encoded picture");
  std::longjmp(e->jump, 1);
}

boolean EmptyOutputBuffer(j_compress_ptr c) {
  if (!AppendOutput(c, sizeof DestinationOf(c)->buffer)) OutputTooLarge(c);
  return TRUE;
}

void TermDestination(j_compress_ptr c) {
  StringDestination* d = DestinationOf(c);
  if (!AppendOutput(c, sizeof d->buffer - d->mgr.free_in_buffer)) OutputTooLarge(c);
}

// The encoder's steps; false with errors.message set when libjpeg gave up. Only plain data
// lives in these frames, so the longjmp back to them skips no destructor.
bool StartEncoder(jpeg_compress_struct* cinfo, JpegErrors* errors, StringDestination* dest, int width, int height,
                  int quality, bool stampDpi, int dpi) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_compress(cinfo);
  dest->mgr.init_destination = InitDestination;
  dest->mgr.empty_output_buffer = EmptyOutputBuffer;
  dest->mgr.term_destination = TermDestination;
  cinfo->dest = &dest->mgr;
  cinfo->image_width = JDIMENSION(width);
  cinfo->image_height = JDIMENSION(height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  if (stampDpi) {
    const UINT16 d = UINT16(dpi < 0 ? 0 : (dpi > 0xFFFF ? 0xFFFF : dpi));
    cinfo->density_unit = 1;
    cinfo->X_density = d;
    cinfo->Y_density = d;
  }
  jpeg_start_compress(cinfo, TRUE);
  return true;
}

bool EncodeRows(jpeg_compress_struct* cinfo, JpegErrors* errors, const uint8_t* const* rows, int count) {
  if (setjmp(errors->jump)) return false;
  JDIMENSION done = 0;
  while (done < JDIMENSION(count))
    done += jpeg_write_scanlines(cinfo, const_cast<JSAMPARRAY>(rows + done), JDIMENSION(count) - done);
  return true;
}

bool FinishEncoder(jpeg_compress_struct* cinfo, JpegErrors* errors) {
  if (setjmp(errors->jump)) return false;
  jpeg_finish_compress(cinfo);
  return true;
}

// Reads the header only; false when libjpeg gave up.
bool ReadHeaderInto(jpeg_decompress_struct* cinfo, JpegErrors* errors, const uint8_t* data, size_t size) {
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(cinfo);
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  return jpeg_read_header(cinfo, TRUE) == JPEG_HEADER_OK;
}

}  // namespace

JpegSize JpegMemorySize(const uint8_t* data, size_t size) {
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrors errors;
  cinfo.err = InitErrors(errors);
  JpegSize result;
  if (size > 0 && ReadHeaderInto(&cinfo, &errors, data, size) && cinfo.image_width <= 0xFFFF &&
      cinfo.image_height <= 0xFFFF) {
    result.Width = uint16_t(cinfo.image_width);
    result.Height = uint16_t(cinfo.image_height);
  }
  jpeg_destroy_decompress(&cinfo);
  return result;
}

Bitmap24 DecodeJpegMemory(const uint8_t* data, size_t size, int scale, int* usedScale) {
  if (scale < 0) scale = 0;
  if (scale > 3) scale = 3;
  jpeg_decompress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  JpegErrors errors;
  cinfo.err = InitErrors(errors);
  Bitmap24 bmp;
  DecodeResult result;
  bool ok = false;
  try {
    ok = DecodeInto(&cinfo, &errors, data, size, scale, &bmp, &result);
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    throw;
  }
  jpeg_destroy_decompress(&cinfo);
  if (!ok) throw EPictureError(std::string("Cannot decode JPEG picture: ") + errors.message);
  if (usedScale) *usedScale = result.usedScale;
  return bmp;
}

Bitmap24 DecodeJpegFile(const std::string& fileName, int scale, int* usedScale) {
  std::string bytes = ReadPictureFile(fileName);
  return DecodeJpegMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), scale, usedScale);
}

struct JpegStreamEncoder::State {
  jpeg_compress_struct cinfo;
  JpegErrors errors;
  StringDestination dest;
  bool failed = false;
};

JpegStreamEncoder::JpegStreamEncoder(int width, int height, int quality, bool stampDpi, int dpi)
    : state_(std::make_unique<State>()), height_(height) {
  if (width <= 0 || height <= 0) throw EPictureError("Cannot encode an empty picture as JPEG");
  std::memset(&state_->cinfo, 0, sizeof state_->cinfo);
  state_->cinfo.err = InitErrors(state_->errors);
  state_->dest.out = &output_;
  if (!StartEncoder(&state_->cinfo, &state_->errors, &state_->dest, width, height, quality, stampDpi, dpi)) Fail();
}

JpegStreamEncoder::~JpegStreamEncoder() { jpeg_destroy_compress(&state_->cinfo); }

void JpegStreamEncoder::Fail() {
  state_->failed = true;
  throw EPictureError(std::string("Cannot encode JPEG picture: ") + state_->errors.message);
}

void JpegStreamEncoder::WriteRows(const uint8_t* const* rows, int count) {
  if (state_->failed) throw EPictureError("Cannot encode JPEG picture: an earlier error");
  count = std::min(count, height_ - rowsWritten_);
  if (count <= 0) return;
  if (!EncodeRows(&state_->cinfo, &state_->errors, rows, count)) Fail();
  rowsWritten_ += count;
}

void JpegStreamEncoder::Finish() {
  if (state_->failed) throw EPictureError("Cannot encode JPEG picture: an earlier error");
  if (!FinishEncoder(&state_->cinfo, &state_->errors)) Fail();
}

std::string EncodeJpeg(const Bitmap24& bmp, int quality) {
  if (bmp.Empty()) throw EPictureError("Cannot encode an empty picture as JPEG");
  JpegStreamEncoder encoder(bmp.Width(), bmp.Height(), quality);
  constexpr int kBatch = 16;
  const uint8_t* rows[kBatch];
  for (int y = 0; y < bmp.Height(); y += kBatch) {
    const int n = std::min(kBatch, bmp.Height() - y);
    for (int i = 0; i < n; ++i) rows[i] = bmp.Row(y + i);
    encoder.WriteRows(rows, n);
  }
  encoder.Finish();
  return std::move(encoder.Output());
}

void SaveJpegFile(const std::string& fileName, const Bitmap24& bmp, int quality) {
  std::string bytes = EncodeJpeg(bmp, quality);
  AtomicFileWriter writer(fileName);
  writer.Write(bytes);
  writer.Commit();
}

}  // namespace qv
