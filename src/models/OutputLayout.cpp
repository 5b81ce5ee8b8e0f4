#include "models/OutputLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/Rounding.h"
#include "imaging/RasterUtils.h"

namespace qv {

namespace {

int32_t AtLeastOne(int32_t v) { return v > 0 ? v : 1; }

// Round of a real that may be far outside 32 bits; empty when it does not fit in 64.
std::optional<int64_t> RoundWide(double v) {
  if (!std::isfinite(v) || std::fabs(v) > 9.0e18) return std::nullopt;
  return static_cast<int64_t>(std::nearbyint(v));  // the default rounding: ties to even
}

bool IsSide(std::optional<int64_t> v) { return v && *v >= 1 && *v <= kMaxOutputSide; }

std::string Pair(const char* format, double a, double b) {
  std::string fa = FormatTwoDecimals(a), fb = FormatTwoDecimals(b);
  char buf[160];
  std::snprintf(buf, sizeof buf, format, fa.c_str(), fb.c_str());
  return buf;
}

std::string PixelPair(int64_t a, int64_t b) { return std::to_string(a) + " x " + std::to_string(b) + " pixels"; }

int32_t& BorderField(TOutputSettings& s, TBorderSide side) {
  switch (side) {
    case kBorderLeft:
      return s.BorderLeft;
    case kBorderTop:
      return s.BorderTop;
    case kBorderRight:
      return s.BorderRight;
    case kBorderBottom:
      break;
  }
  return s.BorderBottom;
}

}  // namespace

double ToUnits(const TOutputSettings& s, int64_t pixels) {
  switch (s.Units) {
    case kUnitsInches:
      return s.Resolution > 0 ? double(pixels) / s.Resolution : 0.0;
    case kUnitsCm:
      return s.Resolution > 0 ? double(pixels) / s.Resolution / kInchesPerCm : 0.0;
    default:
      return double(pixels);
  }
}

std::optional<int64_t> FromUnits(const TOutputSettings& s, double value) {
  switch (s.Units) {
    case kUnitsInches:
      return RoundWide(value * s.Resolution);
    case kUnitsCm:
      return RoundWide(value * s.Resolution * kInchesPerCm);
    default:
      return RoundWide(value);
  }
}

std::string EntryText(const TOutputSettings& s, int64_t pixels) {
  char buf[64];
  if (s.Units == kUnitsInches || s.Units == kUnitsCm)
    std::snprintf(buf, sizeof buf, "%.4f", ToUnits(s, pixels));
  else
    std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(pixels));
  return buf;
}

std::optional<double> ParseEntry(const std::string& text) {
  std::string t = text;
  std::replace(t.begin(), t.end(), ',', '.');
  size_t a = t.find_first_not_of(" \t"), b = t.find_last_not_of(" \t");
  if (a == std::string::npos) return std::nullopt;
  t = t.substr(a, b - a + 1);
  // Plain decimal numbers only: no hexadecimal, exponents, "inf" or "nan".
  if (t.find_first_not_of("+-.0123456789") != std::string::npos) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

const char* UnitCaption(int units) { return units == kUnitsInches ? "In" : units == kUnitsCm ? "cm" : "Pix"; }

bool SetWidthEntry(TOutputSettings& s, const TOutputGrid& g, double entry) {
  const double across = double(g.Cols) * g.PropX, down = double(g.PropY) * g.Rows;
  if (across == 0) return false;
  const auto w = FromUnits(s, entry);
  if (!IsSide(w)) return false;
  const auto h = RoundWide(double(*w) / across * down);
  if (!h || *h > kMaxOutputSide) return false;
  s.OutputWidth = int32_t(*w);
  s.OutputHeight = int32_t(std::max<int64_t>(*h, 1));
  return true;
}

bool SetHeightEntry(TOutputSettings& s, const TOutputGrid& g, double entry) {
  const double across = double(g.Cols) * g.PropX, down = double(g.PropY) * g.Rows;
  if (down == 0) return false;
  const auto h = FromUnits(s, entry);
  if (!IsSide(h)) return false;
  const auto w = RoundWide(double(*h) / down * across);
  if (!w || *w > kMaxOutputSide) return false;
  s.OutputHeight = int32_t(*h);
  s.OutputWidth = int32_t(std::max<int64_t>(*w, 1));
  return true;
}

bool SetBorderEntry(TOutputSettings& s, TBorderSide side, double entry) {
  const auto v = FromUnits(s, entry);
  if (!v || *v < 0 || *v > kMaxOutputSide) return false;
  BorderField(s, side) = int32_t(*v);
  return true;
}

bool SetResolutionEntry(TOutputSettings& s, double entry) {
  const auto v = RoundWide(entry);
  if (!v || *v < 0 || *v > 65535) return false;
  s.Resolution = int32_t(*v);
  return true;
}

int32_t BorderInForce(const TOutputSettings& s, TBorderSide side) {
  return s.Borders ? BorderField(const_cast<TOutputSettings&>(s), side) : 0;
}

int64_t TotalWidth(const TOutputSettings& s) {
  return int64_t(BorderInForce(s, kBorderLeft)) + s.OutputWidth + BorderInForce(s, kBorderRight);
}

int64_t TotalHeight(const TOutputSettings& s) {
  return int64_t(BorderInForce(s, kBorderTop)) + s.OutputHeight + BorderInForce(s, kBorderBottom);
}

std::string FormatTwoDecimals(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string t(buf);
  const size_t dot = t.find('.');
  const size_t start = t[0] == '-' ? 1 : 0;
  for (size_t pos = dot; pos > start + 3;) {
    pos -= 3;
    t.insert(pos, ",");
  }
  return t;
}

TOutputFigures OutputFigures(const TOutputSettings& s, const TOutputGrid& g) {
  TOutputFigures f;
  const int32_t cols = AtLeastOne(g.Cols), rows = AtLeastOne(g.Rows);
  const int64_t tw = TotalWidth(s), th = TotalHeight(s);
  f.TileSize = PixelPair(RoundHalfEven(double(s.OutputWidth) / cols), RoundHalfEven(double(s.OutputHeight) / rows));
  f.OutputSize = PixelPair(tw, th);
  double tileW = 0, tileH = 0, outW = 0, outH = 0;
  if (s.Resolution > 0) {
    tileW = double(s.OutputWidth) / cols / s.Resolution;
    tileH = double(s.OutputHeight) / rows / s.Resolution;
    outW = double(tw) / s.Resolution;
    outH = double(th) / s.Resolution;
  }
  f.TileInch = Pair("%s x %s inch", tileW, tileH);
  f.TileCm = Pair("%s x %s cm", tileW / kInchesPerCm, tileH / kInchesPerCm);
  f.OutputInch = Pair("%s x %s inch", outW, outH);
  f.OutputCm = Pair("%s x %s cm", outW / kInchesPerCm, outH / kInchesPerCm);
  f.FileSize = "File size: " + FormatByteSize(tw * th * 3);
  return f;
}

TLayoutPreview LayoutPreview(const TOutputSettings& s, const TOutputGrid& g, int boxWidth) {
  TLayoutPreview p;
  const int64_t tw = TotalWidth(s), th = TotalHeight(s);
  if (tw <= 0 || th <= 0 || boxWidth <= 0) return p;
  p.Width = RoundHalfEven(1.5 * boxWidth);
  p.Scale = double(p.Width) / double(tw);
  p.Height = std::max(1, RoundHalfEven(p.Scale * double(th)));
  const double sc = p.Scale;
  const double bl = BorderInForce(s, kBorderLeft), bt = BorderInForce(s, kBorderTop);
  const double ow = s.OutputWidth, oh = s.OutputHeight;
  p.Target = Rect{RoundHalfEven(sc * bl), RoundHalfEven(sc * bt), RoundHalfEven(sc * (bl + ow)),
                  RoundHalfEven(sc * (bt + oh))};
  if (s.Grid) {
    const int32_t cols = AtLeastOne(g.Cols), rows = AtLeastOne(g.Rows);
    // A line on the picture's last column or row would fall just outside it: it is drawn on
    // the last pixel instead, so the preview shows the outer lines the writers draw.
    auto inX = [&](int x) { return std::min(x, p.Width - 1); };
    auto inY = [&](int y) { return std::min(y, p.Height - 1); };
    for (int i = 0; i <= cols; ++i) {
      const int x = inX(RoundHalfEven(sc * (ow / cols * i + bl)));
      p.GridLines.push_back({x, p.Target.Top, x, p.Target.Bottom});
    }
    for (int j = 0; j <= rows; ++j) {
      const int y = inY(RoundHalfEven(sc * (oh / rows * j + bt)));
      p.GridLines.push_back({p.Target.Left, y, p.Target.Right, y});
    }
  }
  return p;
}

Rect TPreviewPass::CellRect(int c, int r) const {
  return Rect{RoundHalfEven(c * CellWidth), RoundHalfEven(r * CellHeight), RoundHalfEven((c + 1) * CellWidth),
              RoundHalfEven((r + 1) * CellHeight)};
}

TPreviewPass PreviewPassGeometry(const TOutputGrid& g, int boxWidth) {
  TPreviewPass p;
  const double across = double(g.PropX) * g.Cols, down = double(g.PropY) * g.Rows;
  if (across <= 0 || down <= 0 || boxWidth <= 0) return p;
  p.Width = RoundHalfEven(1.5 * boxWidth);
  p.Height = std::max(1, RoundHalfEven(p.Width / across * down));
  p.CellWidth = double(p.Width) / g.Cols;
  p.CellHeight = double(p.Height) / g.Rows;
  return p;
}

bool PreviewUsesThumbs(const TPreviewPass& pass, int32_t gridW) { return !(2.0 * gridW > pass.CellWidth); }

void DefaultOutputSize(TOutputSettings& s, const TOutputGrid& g) {
  const int32_t across = g.Cols * g.PropX, down = g.Rows * g.PropY;
  if (s.OutputWidth <= 0) s.OutputWidth = std::max(across, 1);
  if (s.OutputHeight > 0 && across > 0)
    s.OutputHeight = std::max(1, RoundHalfEven(double(s.OutputWidth) / across * down));
  else
    s.OutputHeight = std::max(down, 1);
  s.OutputWidth = std::min(s.OutputWidth, kMaxOutputSide);
  s.OutputHeight = std::min(s.OutputHeight, kMaxOutputSide);
}

bool ThumbsTooSmall(const TOutputSettings& s, const TOutputGrid& g, int thumbW, int thumbH) {
  return thumbH < s.OutputHeight / AtLeastOne(g.Rows) || thumbW < s.OutputWidth / AtLeastOne(g.Cols);
}

RenderSettings MakeRenderSettings(const TOutputSettings& s, const TOutputRunOptions& o) {
  RenderSettings r;
  r.OutputWidth = s.OutputWidth;
  r.OutputHeight = s.OutputHeight;
  r.BorderLeft = BorderInForce(s, kBorderLeft);
  r.BorderTop = BorderInForce(s, kBorderTop);
  r.BorderRight = BorderInForce(s, kBorderRight);
  r.BorderBottom = BorderInForce(s, kBorderBottom);
  r.BorderColor = s.BorderColor;
  r.GridWidth = s.Grid ? std::max(o.GridWidth, 1) : 0;
  r.GridColor = s.GridColor;
  r.CorrectionPercent = std::clamp(s.ColorCorrection, 0, 100);
  r.BlendAlpha = BlendAlphaFromPercent(std::clamp(s.Blending, 0, 100));
  r.DetailedBlend = s.DetailedBlend;
  r.Sharpen = s.SharpenTiles;
  r.FastJpeg = o.FastJpeg;
  r.UseOriginals = !s.UseThumb;
  r.DetailedBackground = o.DetailedBackground;
  r.Resolution = s.Resolution;
  r.JpegQuality = o.JpegQuality;
  return r;
}

namespace {
struct TTypeInfo {
  const char* Name;
  const char* Pattern;
  const char* Ext;
};
constexpr TTypeInfo kTypes[] = {{"Tiff files", "*.tif", ".tif"},     {"Jpeg files", "*.jpg", ".jpg"},
                                {"BMP files", "*.bmp", ".bmp"},      {"Text list of images", "*.txt", ".txt"},
                                {"Image sequence", "*.bmp", ".bmp"}, {"HTML table", "*.html", ".html"}};
}  // namespace

std::string OutputTypeFilter(int type) {
  if (type < kTypeTiff || type > kTypeHtml) return std::string();
  const TTypeInfo& t = kTypes[type - 1];
  return std::string(t.Name) + " (" + t.Pattern + ")";
}

std::string OutputTypeFilters() {
  std::string all;
  for (int t = kTypeTiff; t <= kTypeHtml; ++t) all += (t > kTypeTiff ? ";;" : "") + OutputTypeFilter(t);
  return all;
}

const char* OutputTypeExtension(int type) { return type >= kTypeTiff && type <= kTypeHtml ? kTypes[type - 1].Ext : ""; }

int OutputTypeOfFilter(const std::string& filter) {
  for (int t = kTypeTiff; t <= kTypeHtml; ++t)
    if (filter == OutputTypeFilter(t)) return t;
  return 0;
}

}  // namespace qv
