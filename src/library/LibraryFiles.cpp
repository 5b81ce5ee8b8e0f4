#include "library/LibraryFiles.h"

#include <QFileInfo>

namespace qv {

bool FileIsReadOnly(const QString& fileName) {
  const QFileInfo info(fileName);
  if (!info.exists()) return false;
  return !(info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

}  // namespace qv
