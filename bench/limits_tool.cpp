// quivara-bench-limits: measures what the machine can do at best for the work Quivara's
// passes are made of, so bench/run can print how far each pass is from it.
//   decode DIR W H        decode every .jpg of DIR at the scale ChooseJpegScale picks for a
//                         W x H thumbnail (files read from disk, nothing else done), on every
//                         core of the machine as the library build does
//   jpeg-encode FILE Q    decode FILE once, then time only its encoding at quality Q
//   distance N SIGSIZE    evaluations per second of the signature distance kernel over N
//                         packed signatures
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "codecs/JpegCodec.h"
#include "engine/Signature.h"

namespace {

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

int Decode(const std::string& dir, int w, int h) {
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    std::string ext = e.path().extension().string();
    if (ext == ".jpg" || ext == ".JPG" || ext == ".jpeg") files.push_back(e.path().string());
  }
  std::sort(files.begin(), files.end());
  double t0 = Now();
  std::atomic<long> pixels{0};
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next++) < files.size();) {
      qv::JpegScaleChoice c = qv::ChooseJpegScale(files[i], w, h);
      qv::Bitmap24 b = qv::DecodeJpegFile(files[i], c.Scale);
      pixels += long(b.Width()) * b.Height();
    }
  };
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> pool;
  for (unsigned k = 1; k < threads; ++k) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
  double t = Now() - t0;
  std::printf("files %zu seconds %.4f per_second %.1f decoded_pixels %ld threads %u\n", files.size(), t,
              files.size() / t, pixels.load(), threads);
  return 0;
}

int Encode(const std::string& file, int quality) {
  qv::Bitmap24 b = qv::DecodeJpegFile(file, 0);
  double t0 = Now();
  std::string jpeg = qv::EncodeJpeg(b, quality);
  double t = Now() - t0;
  double mp = double(b.Width()) * b.Height() / 1e6;
  std::printf("width %d height %d seconds %.4f megapixels_per_second %.2f bytes %zu\n", b.Width(), b.Height(), t,
              mp / t, jpeg.size());
  return 0;
}

int Distance(int n, int sigSize) {
  std::mt19937 rng(12345);
  std::vector<uint8_t> sigs(size_t(n) * sigSize), target(sigSize);
  for (auto& v : sigs) v = uint8_t(rng());
  for (auto& v : target) v = uint8_t(rng());
  uint64_t sink = 0;
  long evaluations = 0;
  double t0 = Now(), t = 0;
  do {
    for (int i = 0; i < n; ++i) sink += qv::SignatureDistanceInt(target.data(), &sigs[size_t(i) * sigSize], sigSize);
    evaluations += n;
    t = Now() - t0;
  } while (t < 1.0);
  std::printf("evaluations %ld seconds %.4f per_second %.0f checksum %llu\n", evaluations, t, evaluations / t,
              static_cast<unsigned long long>(sink));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string cmd = argc > 1 ? argv[1] : "";
  try {
    if (cmd == "decode" && argc == 5) return Decode(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (cmd == "jpeg-encode" && argc == 4) return Encode(argv[2], std::atoi(argv[3]));
    if (cmd == "distance" && argc == 4) return Distance(std::atoi(argv[2]), std::atoi(argv[3]));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quivara-bench-limits: %s\n", e.what());
    return 1;
  }
  std::fprintf(stderr, "Usage: quivara-bench-limits decode DIR W H | jpeg-encode FILE QUALITY | distance N SIGSIZE\n");
  return 1;
}
