#include "imaging/PictureFidelity.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "base/Errors.h"
#include "base/Rounding.h"

namespace qv {
namespace {

void CheckPair(const Bitmap24& a, const Bitmap24& b) {
  if (a.Empty() || b.Empty()) throw EQuivara("Cannot compare an empty picture");
  if (a.Width() != b.Width() || a.Height() != b.Height())
    throw EQuivara("Cannot compare pictures of " + std::to_string(a.Width()) + " x " + std::to_string(a.Height()) +
                   " and " + std::to_string(b.Width()) + " x " + std::to_string(b.Height()) + " pixels");
}

// One row of luma values (blue, green, red order in the bitmap).
void LumaRow(const Bitmap24& p, int y, std::vector<double>& out) {
  const uint8_t* s = p.Row(y);
  for (int x = 0; x < p.Width(); ++x, s += 3) out[size_t(x)] = 0.114 * s[0] + 0.587 * s[1] + 0.299 * s[2];
}

}  // namespace

double Psnr(const Bitmap24& a, const Bitmap24& b) {
  CheckPair(a, b);
  uint64_t sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    const uint8_t *p = a.Row(y), *q = b.Row(y);
    uint64_t line = 0;
    for (int i = 0; i < a.Width() * 3; ++i) {
      const int d = int(p[i]) - int(q[i]);
      line += uint64_t(d * d);
    }
    sum += line;
  }
  if (sum == 0) return std::numeric_limits<double>::infinity();
  const double mse = double(sum) / (double(a.Width()) * a.Height() * 3.0);
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

double Ssim(const Bitmap24& a, const Bitmap24& b) {
  CheckPair(a, b);
  const int w = a.Width(), h = a.Height();
  const int wx = std::min(8, w), wy = std::min(8, h);
  const double n = double(wx) * wy;
  constexpr double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
  // Column sums over the wy rows of the current band of windows, of x, y, x^2, y^2 and x y;
  // a band moves down one row by adding the new row and taking off the one it leaves.
  const size_t cols = static_cast<size_t>(w);
  std::vector<double> sx(cols), sy(cols), sxx(cols), syy(cols), sxy(cols);
  // The luma of the band's rows, in a ring of wy rows, to be taken off when the band leaves them.
  std::vector<std::vector<double>> ringA(static_cast<size_t>(wy), std::vector<double>(cols));
  std::vector<std::vector<double>> ringB(static_cast<size_t>(wy), std::vector<double>(cols));
  double total = 0;
  int64_t windows = 0;
  for (int y = 0; y < h; ++y) {
    std::vector<double>& ra = ringA[size_t(y % wy)];
    std::vector<double>& rb = ringB[size_t(y % wy)];
    if (y >= wy)
      for (int x = 0; x < w; ++x) {
        const double p = ra[size_t(x)], q = rb[size_t(x)];
        sx[size_t(x)] -= p;
        sy[size_t(x)] -= q;
        sxx[size_t(x)] -= p * p;
        syy[size_t(x)] -= q * q;
        sxy[size_t(x)] -= p * q;
      }
    LumaRow(a, y, ra);
    LumaRow(b, y, rb);
    for (int x = 0; x < w; ++x) {
      const double p = ra[size_t(x)], q = rb[size_t(x)];
      sx[size_t(x)] += p;
      sy[size_t(x)] += q;
      sxx[size_t(x)] += p * p;
      syy[size_t(x)] += q * q;
      sxy[size_t(x)] += p * q;
    }
    if (y < wy - 1) continue;
    double mx = 0, my = 0, mxx = 0, myy = 0, mxy = 0;
    for (int x = 0; x < w; ++x) {
      mx += sx[size_t(x)];
      my += sy[size_t(x)];
      mxx += sxx[size_t(x)];
      myy += syy[size_t(x)];
      mxy += sxy[size_t(x)];
      if (x >= wx) {
        const size_t o = size_t(x - wx);
        mx -= sx[o];
        my -= sy[o];
        mxx -= sxx[o];
        myy -= syy[o];
        mxy -= sxy[o];
      }
      if (x < wx - 1) continue;
      const double ux = mx / n, uy = my / n;
      // Sample variances and covariance; rounding may leave a tiny negative variance.
      const double vx = std::max(0.0, (mxx - mx * ux) / (n > 1 ? n - 1 : 1));
      const double vy = std::max(0.0, (myy - my * uy) / (n > 1 ? n - 1 : 1));
      const double cxy = (mxy - mx * uy) / (n > 1 ? n - 1 : 1);
      total += ((2 * ux * uy + c1) * (2 * cxy + c2)) / ((ux * ux + uy * uy + c1) * (vx + vy + c2));
      ++windows;
    }
  }
  return total / double(windows);
}

double CellMeanError(const Bitmap24& a, const Bitmap24& b, int32_t cols, int32_t rows) {
  CheckPair(a, b);
  if (cols < 1 || rows < 1 || cols > a.Width() || rows > a.Height())
    throw EQuivara("A grid of " + std::to_string(cols) + " x " + std::to_string(rows) + " cells does not fit a " +
                   std::to_string(a.Width()) + " x " + std::to_string(a.Height()) + " picture");
  auto split = [](int total, int parts, int i) { return RoundHalfEven(static_cast<long double>(total) / parts * i); };
  // Per cell of the current row of cells and channel: the two sums.
  std::vector<int64_t> sa(size_t(cols) * 3), sb(size_t(cols) * 3);
  std::vector<int32_t> cellOf(size_t(a.Width()));
  for (int32_t c = 0; c < cols; ++c)
    for (int x = split(a.Width(), cols, c); x < split(a.Width(), cols, c + 1); ++x) cellOf[size_t(x)] = c;
  double total = 0;
  for (int32_t r = 0; r < rows; ++r) {
    const int y0 = split(a.Height(), rows, r), y1 = split(a.Height(), rows, r + 1);
    std::fill(sa.begin(), sa.end(), 0);
    std::fill(sb.begin(), sb.end(), 0);
    for (int y = y0; y < y1; ++y) {
      const uint8_t *p = a.Row(y), *q = b.Row(y);
      for (int x = 0; x < a.Width(); ++x)
        for (int k = 0; k < 3; ++k) {
          sa[size_t(cellOf[size_t(x)]) * 3 + size_t(k)] += p[x * 3 + k];
          sb[size_t(cellOf[size_t(x)]) * 3 + size_t(k)] += q[x * 3 + k];
        }
    }
    for (int32_t c = 0; c < cols; ++c) {
      const double pixels = double(split(a.Width(), cols, c + 1) - split(a.Width(), cols, c)) * (y1 - y0);
      for (size_t k = 0; k < 3; ++k) total += std::fabs(double(sa[size_t(c) * 3 + k] - sb[size_t(c) * 3 + k])) / pixels;
    }
  }
  return total / (double(cols) * rows * 3.0);
}

}  // namespace qv
