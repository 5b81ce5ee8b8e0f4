#pragma once
#include <QString>

namespace qv {

// True when the file exists and its permissions let no one write it. A library or project is
// written through a temporary file renamed over it, which a writable folder allows even for
// such a file: the windows ask this first, so a file made read-only is never replaced.
bool FileIsReadOnly(const QString& fileName);

}  // namespace qv
