#pragma once
// Shared by the fuzz targets: the readers under test take file names, so each input is
// written to a file of the wanted extension in a folder of this process's own (under
// $TMPDIR; scripts/fuzz points it at /dev/shm), rewritten for every input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace qvfuzz {

inline const std::string& WorkFolder() {
  static const std::string folder = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "qvfuzzXXXXXX").string();
    if (!::mkdtemp(tmpl.data())) std::abort();
    // Removed when the fuzzer ends normally; a crash leaves it for the input to be replayed.
    static const std::string keep = tmpl;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(keep, ec);
    });
    return tmpl;
  }();
  return folder;
}

// The input as the file "input<ext>" of the work folder; its name.
inline std::string InputFile(const uint8_t* data, size_t size, const std::string& ext) {
  const std::string name = WorkFolder() + "/input" + ext;
  std::FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return name;
}

// A broken promise of the code under test: reported as a crash so the fuzzer keeps the input.
#define QVFUZZ_CHECK(cond)                                                          \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

}  // namespace qvfuzz
