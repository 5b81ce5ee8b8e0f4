// The settings-file routines on any file content: every reader of the program's keys, the
// window bounds parser, and a write, which must read back and keep every other key that
// read before it.
#include "FuzzSupport.h"
#include "base/Errors.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "settings/OutputSettings.h"
#include "settings/PreferenceSettings.h"
#include "settings/RecentFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = qvfuzz::InputFile(data, size, ".ini");
  qv::ReadStartUpValues(file);
  qv::ReadCandidateCount(file);
  qv::ReadOpenOnStart(file);
  qv::ReadPreferenceValues(file);
  qv::ReadOutputSettings(file);
  qv::LastPathFolder(file, qv::kLastPathProject);
  for (qv::TRecentKind kind : {qv::TRecentKind::Project, qv::TRecentKind::Library, qv::TRecentKind::Image})
    qv::ReadRecentList(file, kind);
  for (const char* key : {"MainForm", "LibraryInspector", "SrcSetup"}) {
    try {
      qv::ParseWindowBounds(qv::IniReadString(file, "LayOut", key, ""));
    } catch (const qv::EQuivara&) {
      // a malformed number is reported, as a hand-edited file may have one
    }
  }

  const std::string lastBase = qv::ReadLastBase(file);
  const int radius = qv::IniReadInt(file, "StartUp", "Radius", -12345);
  qv::IniWriteString(file, "Fuzz", "Written", "value 1");
  QVFUZZ_CHECK(qv::IniReadString(file, "Fuzz", "Written", "") == "value 1");
  QVFUZZ_CHECK(qv::ReadLastBase(file) == lastBase);
  QVFUZZ_CHECK(qv::IniReadInt(file, "StartUp", "Radius", -12345) == radius);
  return 0;
}
