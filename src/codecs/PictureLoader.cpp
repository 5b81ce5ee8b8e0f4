#include "codecs/PictureLoader.h"

#include <cstring>
#include <optional>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "codecs/AutodeskCelCodec.h"
#include "codecs/CodecSupport.h"
#include "codecs/IcoCodec.h"
#include "codecs/JpegCodec.h"
#include "codecs/MagickReader.h"
#include "codecs/PngCodec.h"
#include "codecs/PsdCodec.h"

namespace qv {

namespace {

enum class Codec { Jpeg, Png, Magick, MagickFile, Icon, Psd, AutodeskCel, None };

struct Reader {
  Codec codec;
  const char* magick;  // GraphicsMagick format for Codec::Magick and Codec::MagickFile
};

struct ExtensionReader {
  const char* ext;
  Reader reader;
};

// Windows' run-length bitmaps (.rle) and .dib files are ordinary BMP files. Word 5.x screen
// captures (.scr) are stored as PCX pictures.
constexpr ExtensionReader kReaders[] = {
    {"bmp", {Codec::Magick, "BMP"}},     {"dib", {Codec::Magick, "BMP"}},   {"rle", {Codec::Magick, "BMP"}},
    {"jpg", {Codec::Jpeg, ""}},          {"jpeg", {Codec::Jpeg, ""}},       {"ico", {Codec::Icon, ""}},
    {"emf", {Codec::None, ""}},          {"wmf", {Codec::Magick, "WMF"}},   {"png", {Codec::Png, ""}},
    {"gif", {Codec::Magick, "GIF"}},     {"tif", {Codec::Magick, "TIFF"}},  {"tiff", {Codec::Magick, "TIFF"}},
    {"pcx", {Codec::Magick, "PCX"}},     {"pcc", {Codec::Magick, "PCX"}},   {"tga", {Codec::Magick, "TGA"}},
    {"vda", {Codec::Magick, "TGA"}},     {"icb", {Codec::Magick, "TGA"}},   {"vst", {Codec::Magick, "TGA"}},
    {"win", {Codec::Magick, "TGA"}},     {"psd", {Codec::Psd, ""}},         {"pdd", {Codec::Psd, ""}},
    {"sgi", {Codec::Magick, "SGI"}},     {"rgb", {Codec::Magick, "SGI"}},   {"rgba", {Codec::Magick, "SGI"}},
    {"bw", {Codec::Magick, "SGI"}},      {"cel", {Codec::AutodeskCel, ""}}, {"pic", {Codec::AutodeskCel, ""}},
    {"cut", {Codec::MagickFile, "CUT"}}, {"pcd", {Codec::Magick, "PCD"}},   {"pbm", {Codec::Magick, "PNM"}},
    {"pgm", {Codec::Magick, "PNM"}},     {"ppm", {Codec::Magick, "PNM"}},   {"rla", {Codec::Magick, "RLA"}},
    {"rpf", {Codec::Magick, "RLA"}},     {"scr", {Codec::Magick, "PCX"}},
};

std::string NormalisedExtension(const std::string& ext) {
  std::string e = ext.empty() || ext[0] != '.' ? ext : ext.substr(1);
  for (char& c : e)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return e;
}

const Reader* FindReader(const std::string& ext) {
  const std::string e = NormalisedExtension(ext);
  for (const auto& r : kReaders)
    if (e == r.ext) return &r.reader;
  return nullptr;
}

// The reader a file's first bytes plainly ask for, among the common types.
std::optional<Reader> SniffReader(const std::string& bytes) {
  auto starts = [&](const char* sig, size_t n) { return bytes.size() >= n && std::memcmp(bytes.data(), sig, n) == 0; };
  if (starts("\xFF\xD8\xFF", 3)) return Reader{Codec::Jpeg, ""};
  if (starts("\x89PNG\r\n\x1A\n", 8)) return Reader{Codec::Png, ""};
  if (starts("GIF87a", 6) || starts("GIF89a", 6)) return Reader{Codec::Magick, "GIF"};
  if (starts("II*\0", 4) || starts("MM\0*", 4)) return Reader{Codec::Magick, "TIFF"};
  if (starts("8BPS", 4)) return Reader{Codec::Psd, ""};
  if (starts("BM", 2) && bytes.size() >= 54) return Reader{Codec::Magick, "BMP"};
  return std::nullopt;
}

Bitmap24 Decode(const Reader& reader, const std::string& bytes, const std::string& fileName) {
  auto data = reinterpret_cast<const uint8_t*>(bytes.data());
  switch (reader.codec) {
    case Codec::MagickFile:
      return DecodeFileWithMagick(fileName, reader.magick);
    case Codec::Jpeg:
      return DecodeJpegMemory(data, bytes.size());
    case Codec::Png:
      return DecodePngMemory(data, bytes.size());
    case Codec::Magick:
      return DecodeWithMagick(data, bytes.size(), reader.magick);
    case Codec::Icon:
      return DecodeIco(data, bytes.size());
    case Codec::Psd:
      return DecodePsd(data, bytes.size());
    case Codec::AutodeskCel:
      return DecodeAutodeskCel(data, bytes.size());
    case Codec::None:
      break;
  }
  throw EPictureError("Enhanced Metafiles cannot be read");
}

Bitmap24 DecodeOrSniff(const Reader& reader, const std::string& bytes, const std::string& fileName) {
  try {
    return Decode(reader, bytes, fileName);
  } catch (const EPictureError& e) {
    std::optional<Reader> sniffed = SniffReader(bytes);
    if (sniffed && (sniffed->codec != reader.codec || std::strcmp(sniffed->magick, reader.magick) != 0)) {
      try {
        return Decode(*sniffed, bytes, fileName);
      } catch (const EPictureError&) {
        // the first reader's complaint is the one worth showing
      }
    }
    if (fileName.empty()) throw;
    throw EPictureError("Cannot load picture " + fileName + ": " + e.what());
  }
}

const Reader& ReaderFor(const std::string& ext, const std::string& what) {
  const Reader* reader = FindReader(ext);
  if (!reader) throw EPictureError("Unknown picture file type: " + what);
  if (reader->codec == Codec::None) throw EPictureError("Enhanced Metafiles cannot be read: " + what);
  return *reader;
}

}  // namespace

Bitmap24 LoadPicture24(const std::string& fileName) {
  const Reader& reader = ReaderFor(ExtractFileExt(fileName), fileName);
  return DecodeOrSniff(reader, ReadPictureFile(fileName), fileName);
}

Bitmap24 DecodePicture(const std::string& bytes, const std::string& ext) {
  Reader reader = ReaderFor(ext, ext);
  if (reader.codec == Codec::MagickFile) reader.codec = Codec::Magick;  // no file beside it
  return DecodeOrSniff(reader, bytes, std::string());
}

Bitmap24 IconFileToBitmap(const std::string& fileName) {
  return DecodeOrSniff(Reader{Codec::Icon, ""}, ReadPictureFile(fileName), fileName);
}

bool IsPictureExtension(const std::string& ext) {
  const Reader* reader = FindReader(ext);
  return reader && reader->codec != Codec::None;
}

const std::vector<PictureFileType>& PictureFileTypes() {
  // Every type listed here loads; Enhanced Metafiles are left out because nothing reads them.
  static const std::vector<PictureFileType> types = {
      {"Bitmaps", {"bmp"}},
      {"Windows bitmap", {"dib", "rle"}},
      {"JPEG Image File", {"jpg", "jpeg"}},
      {"Icons", {"ico"}},
      {"Metafiles", {"wmf"}},
      {"Portable Network Graphics", {"png"}},
      {"CompuServe images", {"gif"}},
      {"TIFF images", {"tif", "tiff"}},
      {"ZSoft PCX images", {"pcx"}},
      {"ZSoft PCC images", {"pcc"}},
      {"Truevision images", {"tga", "vda", "icb", "vst", "win"}},
      {"Photoshop images", {"psd", "pdd"}},
      {"SGI true color images", {"sgi", "rgb", "rgba"}},
      {"SGI black/white images", {"bw"}},
      {"Autodesk images", {"cel", "pic"}},
      {"Dr. Halo images", {"cut"}},
      {"Kodak Photo-CD images", {"pcd"}},
      {"Portable b&w images", {"pbm"}},
      {"Portable grayscale images", {"pgm"}},
      {"Portable pixel map images", {"ppm"}},
      {"SGI Wavefront images", {"rla", "rpf"}},
      {"Word 5.x screen capture images", {"scr"}},
  };
  return types;
}

}  // namespace qv
