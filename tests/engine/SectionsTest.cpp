// The byte sections: checked positioned reads and writes, in memory and in a temporary file.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "base/Errors.h"
#include "engine/ByteSection.h"
#include "engine/FileSection.h"

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

}  // namespace
