// The byte sections: checked positioned reads and writes, in memory and in a temporary file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "base/Errors.h"
#include "engine/ByteSection.h"
#include "engine/FileSection.h"
#include "support/TestFiles.h"

namespace {

using qv::EStreamError;

TEST(ByteSectionTest, ReadsAreCheckedAndLittleEndian) {
  qv::ByteSection s;
  EXPECT_EQ(s.AppendI32(0x01020304), 0);
  EXPECT_EQ(s.AppendU16(0xA0B0), 4);
  EXPECT_EQ(s.AppendF64(2.5), 6);
  EXPECT_EQ(s.Size(), 14);
  EXPECT_EQ(s.ReadU8(0), 0x04);
  EXPECT_EQ(s.ReadI32(0), 0x01020304);
  EXPECT_EQ(s.ReadU16(4), 0xA0B0);
  EXPECT_EQ(s.ReadF64(6), 2.5);
  EXPECT_THROW(s.ReadI32(11), EStreamError);
  EXPECT_THROW(s.ReadU8(-1), EStreamError);
  EXPECT_THROW(s.ReadString(2, INT64_MAX), EStreamError);
  EXPECT_THROW(s.Span(14, 1), EStreamError);
  EXPECT_NO_THROW(s.Span(14, 0));
}

TEST(ByteSectionTest, WritesOverwriteOrExtendButLeaveNoGap) {
  qv::ByteSection s;
  s.Append("abcd");
  s.WriteI32(2, -1);
  EXPECT_EQ(s.Size(), 6);
  EXPECT_EQ(s.ReadI32(2), -1);
  EXPECT_THROW(s.WriteU8(7, 1), EStreamError);
  s.Position = 6;
  s.Truncate(3);
  EXPECT_EQ(s.Position, 3);
  EXPECT_EQ(s.ReadString(0, 3), "ab\xFF");
  EXPECT_THROW(s.Truncate(4), EStreamError);
}

// A section owns its bytes: copies are independent, a moved-from section is empty and
// usable, Allocate gives a fresh buffer of the asked size, and a section cut short grows
// again without showing the bytes it dropped.
TEST(ByteSectionTest, CopiesMovesAndReuseKeepTheirOwnBytes) {
  qv::ByteSection a;
  for (int i = 0; i < 1000; ++i) a.AppendI32(i);
  a.Position = 8;
  qv::ByteSection b(a);
  b.WriteI32(0, -5);
  EXPECT_EQ(a.ReadI32(0), 0);
  EXPECT_EQ(b.ReadI32(0), -5);
  EXPECT_EQ(b.ReadI32(999 * 4), 999);
  EXPECT_EQ(b.Position, 8);
  EXPECT_NE(a.Version(), b.Version());

  qv::ByteSection c(std::move(b));
  EXPECT_EQ(c.Size(), 4000);
  EXPECT_EQ(b.Size(), 0);  // NOLINT(bugprone-use-after-move): moved-from sections stay usable
  EXPECT_EQ(b.Position, 0);
  b.Append("xy");
  EXPECT_EQ(b.ReadString(0, 2), "xy");

  a = c;  // copy assignment replaces the content
  EXPECT_EQ(a.ReadI32(0), -5);
  a = qv::ByteSection();
  EXPECT_TRUE(a.Empty());

  c.Position = 100;
  uint8_t* p = c.Allocate(3);
  p[0] = 'a', p[1] = 'b', p[2] = 'c';
  EXPECT_EQ(c.Size(), 3);
  EXPECT_EQ(c.Position, 0);
  EXPECT_EQ(c.ReadString(0, 3), "abc");
  EXPECT_THROW(c.ReadU8(3), EStreamError);
  c.Allocate(50000)[49999] = 7;
  EXPECT_EQ(c.ReadU8(49999), 7);
  EXPECT_THROW(c.Allocate(-1), EStreamError);

  c.Truncate(2);
  c.AppendU16(0x3132);
  EXPECT_EQ(c.Size(), 4);
  EXPECT_EQ(c.ReadString(2, 2), "21");
  c.Assign("hello", 5);
  EXPECT_EQ(c.ReadString(0, 5), "hello");
  c.Swap(b);
  EXPECT_EQ(b.ReadString(0, 5), "hello");
  EXPECT_EQ(c.ReadString(0, 2), "xy");
}

TEST(FileSectionTest, PositionedReadsAndWritesInATemporaryFile) {
  qv::FileSection f;
  EXPECT_EQ(f.Append(".tmb"), 0);
  EXPECT_EQ(f.AppendI32(3), 4);
  f.Append("xyz");
  EXPECT_EQ(f.Size(), 11);
  EXPECT_EQ(f.ReadI32(4), 3);
  EXPECT_EQ(f.ReadString(8, 3), "xyz");
  EXPECT_THROW(f.ReadString(9, 3), EStreamError);
  EXPECT_THROW(f.WriteAt(12, "a", 1), EStreamError);
  f.WriteI32(4, 7);
  EXPECT_EQ(f.ReadI32(4), 7);

  qv::FileSection g;
  g.AppendFrom(f, 8, 3);
  EXPECT_EQ(g.ReadString(0, 3), "xyz");
  std::string chunks;
  f.ReadChunks(0, 4, [&](const void* p, size_t n) { chunks.append(static_cast<const char*>(p), n); });
  EXPECT_EQ(chunks, ".tmb");
  f.Truncate(4);
  EXPECT_EQ(f.Size(), 4);
  EXPECT_THROW(f.ReadI32(4), EStreamError);
  f.Swap(g);
  EXPECT_EQ(f.ReadString(0, 3), "xyz");
  EXPECT_EQ(g.Size(), 4);
}

TEST(FileSectionTest, ConcurrentReadersSeeTheirOwnBytes) {
  qv::FileSection f;
  std::string all;
  for (int i = 0; i < 4096; ++i) all.push_back(char(i * 7));
  f.Append(all);
  std::vector<std::thread> readers;
  std::atomic<int> wrong{0};
  for (int r = 0; r < 4; ++r)
    readers.emplace_back([&, r] {
      for (int k = 0; k < 500; ++k) {
        int at = (k * 131 + r * 17) % 4000;
        if (f.ReadString(at, 64) != all.substr(size_t(at), 64)) ++wrong;
      }
    });
  for (auto& t : readers) t.join();
  EXPECT_EQ(wrong, 0);
}

// A tail of a few bytes, so the tests cross between the file and the buffer often.
class SmallTail {
 public:
  explicit SmallTail(int64_t bytes) : before_(qv::FileSection::TailBytes()) { qv::FileSection::SetTailBytes(bytes); }
  ~SmallTail() { qv::FileSection::SetTailBytes(before_); }

 private:
  int64_t before_;
};

std::string AllOf(const qv::FileSection& f) { return f.ReadString(0, f.Size()); }

TEST(FileSectionTest, BufferedBytesReadTheSameAsWrittenOnesUnderEveryOperation) {
  for (int64_t tail : {0, 1, 7, 64, 4096}) {
    SmallTail small(tail);
    std::mt19937 rng(uint32_t(tail) + 11);
    qv::FileSection f;
    std::string model;
    auto bytes = [&](size_t n) {
      std::string b(n, '\0');
      for (auto& c : b) c = char(rng());
      return b;
    };
    for (int step = 0; step < 600; ++step) {
      SCOPED_TRACE("tail " + std::to_string(tail) + ", step " + std::to_string(step));
      const int op = int(rng() % 10);
      const int64_t size = int64_t(model.size());
      if (op < 4) {  // append, small or larger than the tail
        const std::string b = bytes(rng() % (op == 0 ? 200 : 20));
        ASSERT_EQ(f.Append(b), size);
        model += b;
      } else if (op < 6 && size > 0) {  // overwrite, possibly running past the end
        const int64_t at = int64_t(rng() % uint64_t(size));
        const std::string b = bytes(rng() % 30);
        const uint64_t generation = f.Generation();
        f.WriteAt(at, b.data(), int64_t(b.size()));
        model.replace(size_t(at), std::min(b.size(), model.size() - size_t(at)), b);
        if (!b.empty()) {
          EXPECT_NE(f.Generation(), generation);
        }
      } else if (op == 6 && size > 0) {  // truncate
        const int64_t to = int64_t(rng() % uint64_t(size + 1));
        const uint64_t generation = f.Generation();
        f.Truncate(to);
        model.resize(size_t(to));
        if (to != size) {
          EXPECT_NE(f.Generation(), generation);
        }
      } else if (op == 7 && size > 0) {  // append a piece of itself
        const int64_t at = int64_t(rng() % uint64_t(size));
        const int64_t n = int64_t(rng() % uint64_t(size - at + 1));
        f.AppendFrom(f, at, n);
        model += model.substr(size_t(at), size_t(n));
      } else if (size > 0) {  // read any range, also across the file and the buffer
        const int64_t at = int64_t(rng() % uint64_t(size));
        const int64_t n = int64_t(rng() % uint64_t(size - at + 1));
        ASSERT_EQ(f.ReadString(at, n), model.substr(size_t(at), size_t(n)));
        EXPECT_THROW(f.ReadString(at, size - at + 1), EStreamError);
      }
      ASSERT_EQ(f.Size(), int64_t(model.size()));
      ASSERT_LE(f.BytesInFile(), f.Size());
    }
    EXPECT_EQ(AllOf(f), model);
    std::string chunks;
    f.ReadChunks(0, f.Size(), [&](const void* p, size_t n) { chunks.append(static_cast<const char*>(p), n); });
    EXPECT_EQ(chunks, model);
  }
}

TEST(FileSectionTest, AppendsWaitInTheTailUntilItIsFull) {
  SmallTail small(8);
  qv::FileSection f;
  f.Append("abc");
  f.Append("def");
  EXPECT_EQ(f.BytesInFile(), 0);
  f.Append("gh!");  // does not fit: the buffered bytes go to the file first
  EXPECT_EQ(f.BytesInFile(), 6);
  f.Append("0123456789");  // larger than the tail: straight to the file
  EXPECT_EQ(f.BytesInFile(), 19);
  EXPECT_EQ(AllOf(f), "abcdefgh!0123456789");
  f.WriteAt(4, "XYZ", 3);  // an overwrite across the file and the tail
  EXPECT_EQ(AllOf(f), "abcdXYZh!0123456789");
  f.Truncate(2);
  EXPECT_EQ(f.BytesInFile(), 2);
  f.Append("++");
  EXPECT_EQ(AllOf(f), "ab++");
  f.Clear();
  EXPECT_EQ(f.Size(), 0);
  f.Append("new");
  EXPECT_EQ(AllOf(f), "new");
}

TEST(FileSectionTest, AGenerationStaysWhileBytesAreOnlyAppended) {
  qv::FileSection f, g;
  EXPECT_NE(f.Generation(), g.Generation());
  const uint64_t first = f.Generation();
  f.Append("abcdef");
  f.AppendI32(5);
  f.AppendFrom(f, 0, 3);
  EXPECT_EQ(f.Generation(), first);
  f.Truncate(f.Size());  // no change
  EXPECT_EQ(f.Generation(), first);
  f.WriteAt(f.Size(), "x", 1);  // an append
  EXPECT_EQ(f.Generation(), first);
  f.Swap(g);
  EXPECT_NE(f.Generation(), first);
  EXPECT_NE(g.Generation(), first);
  const uint64_t beforeMove = g.Generation();
  qv::FileSection h(std::move(g));
  EXPECT_NE(h.Generation(), beforeMove);
  EXPECT_EQ(h.ReadString(0, 6), "abcdef");
  f = std::move(h);
  EXPECT_EQ(f.ReadString(0, 6), "abcdef");
}

TEST(FileSectionTest, ManyLengthsAreReadInOnePass) {
  SmallTail small(16);
  qv::FileSection f;
  std::vector<int64_t> at;
  for (int32_t i = 0; i < 3000; ++i) {
    at.push_back(f.AppendI32(i * 3 - 7));
    f.Append(std::string(size_t(i % 50), 'x'));
  }
  std::vector<int64_t> shuffled = at;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(3));
  const std::vector<int32_t> got = f.ReadI32s(shuffled);
  ASSERT_EQ(got.size(), shuffled.size());
  for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], f.ReadI32(shuffled[i]));
  EXPECT_TRUE(f.ReadI32s({}).empty());
  EXPECT_THROW(f.ReadI32s({0, f.Size() - 3}), EStreamError);
}

TEST(FileSectionTest, AFailedCopyFromAFileLeavesTheSectionAsItWas) {
  SmallTail small(16);
  qvtest::TempDir dir;
  const std::string path = dir.File("short.bin");
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fputs(std::string(100, 'q').c_str(), out);
  std::fclose(out);
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  qv::FileSection f;
  f.Append("keep");
  EXPECT_THROW(f.AppendFromFile(fd, 0, 200), EStreamError);  // the file holds 100
  EXPECT_EQ(AllOf(f), "keep");
  f.AppendFromFile(fd, 90, 10);
  EXPECT_EQ(AllOf(f), "keepqqqqqqqqqq");
  ::close(fd);
}

TEST(FileSectionTest, ConcurrentReadersSeeBytesFromTheFileAndTheTail) {
  SmallTail small(1000);
  qv::FileSection f;
  std::string all;
  for (int i = 0; i < 4500; ++i) all.push_back(char(i * 7 + i / 256));
  for (size_t i = 0; i < all.size(); i += 150) f.Append(all.substr(i, 150));
  ASSERT_GT(f.BytesInFile(), 0);
  ASSERT_LT(f.BytesInFile(), f.Size());
  std::vector<std::thread> readers;
  std::atomic<int> wrong{0};
  for (int r = 0; r < 4; ++r)
    readers.emplace_back([&, r] {
      for (int k = 0; k < 800; ++k) {
        const int at = (k * 131 + r * 17) % 4300;
        if (f.ReadString(at, 150) != all.substr(size_t(at), 150)) ++wrong;
        if (f.ReadI32s({at, at + 40})[1] != f.ReadI32(at + 40)) ++wrong;
      }
    });
  for (auto& t : readers) t.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
