#include "output/WriterCommon.h"

#include <cstdio>

#include "base/FileUtil.h"

namespace qv {

std::string CellFileName(int32_t row, int32_t col, const std::string& tileName, const std::string& ext) {
  char prefix[40];
  std::snprintf(prefix, sizeof prefix, "%.3d-%.3d-", row + 1, col + 1);
  return prefix + ChangeFileExt(ExtractFileName(tileName), ext);
}

}  // namespace qv
