// Block-buffered file access and the ASCII data fields: what every conversion
// reads and writes through, checked where records cross block boundaries.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "comtrade/data_text.h"
#include "comtrade/file_io.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

// Bytes whose value tells their offset apart from their neighbours'.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

// The text between two positions of a line.
std::string Text(const char* from, const char* to) {
  return std::string(from, to);
}

TEST(DataText, EveryValueFieldReadsAsPrintfWritesIt) {
  char line[kValueFieldRoom];
  for (int bits = 0; bits < 65536; ++bits) {
    const unsigned char value[2] = {static_cast<unsigned char>(bits & 0xFF),
                                    static_cast<unsigned char>(bits >> 8)};
    const char* end = PutValueFields(line, value, 1);
    ASSERT_EQ(Text(line, end), "," + std::to_string(static_cast<std::int16_t>(bits))) << bits;
  }
}

TEST(DataText, ValueFieldsFollowOneAnotherInRecordOrder) {
  const unsigned char values[6] = {0x00, 0x80, 0xFF, 0xFF, 0x0A, 0x00};  // -32768, -1, 10
  char line[3 * kValueFieldRoom];
  EXPECT_EQ(Text(line, PutValueFields(line, values, 3)), ",-32768,-1,10");
  EXPECT_EQ(Text(line, PutValueFields(line, values, 0)), "");
}

TEST(DataText, BitFieldsTakeBitZeroFirstAndStopAtTheChannelCount) {
  char line[kBitFieldsRoom];
  const std::uint16_t word = 0b1000'0001'0000'0101;
  EXPECT_EQ(Text(line, PutBitFields(line, word, 16)), ",1,0,1,0,0,0,0,0,1,0,0,0,0,0,0,1");
  EXPECT_EQ(Text(line, PutBitFields(line, word, 3)), ",1,0,1");
  EXPECT_EQ(Text(line, PutBitFields(line, word, 9)), ",1,0,1,0,0,0,0,0,1");
  EXPECT_EQ(Text(line, PutBitFields(line, word, 0)), "");
}

TEST(DataText, DecimalsCoverTheWholeRange) {
  char text[kDecimalRoom];
  for (std::int32_t value : {INT_MIN, -10, -1, 0, 9, 10, 99999, INT_MAX})
    EXPECT_EQ(Text(text, PutDecimal(text, value)), std::to_string(value));
}

TEST(DataText, SampleNumbersCountUpAcrossEveryNewDigitAndFollowAnyJump) {
  SampleNumberText numbers;
  char text[kDecimalRoom];
  for (std::int32_t n = 1; n <= 1'000'001; ++n)
    ASSERT_EQ(Text(text, numbers.Put(text, n)), std::to_string(n));
  // Past eight digits (over a day of samples) and on to the largest number.
  for (std::int64_t from : {99'999'990, 999'999'990, INT_MAX - 20})
    for (std::int64_t n = from; n <= from + 20; ++n)
      ASSERT_EQ(Text(text, numbers.Put(text, static_cast<std::int32_t>(n))), std::to_string(n));
  for (std::int32_t n : {7, 5, 6, -3, -2, -1, 0, 1, 99, 100, INT_MAX - 1, INT_MAX, INT_MIN, 0})
    EXPECT_EQ(Text(text, numbers.Put(text, n)), std::to_string(n));
}

TEST(InFile, TakeHandsOutWholeRecordsAcrossBlockBoundaries) {
  TempDir dir;
  const std::string bytes = Pattern(3 * kReadBlockSize + 5);
  WriteFile(dir / "rec", bytes);
  InFile file;
  ASSERT_TRUE(file.Open(dir / "rec"));
  constexpr std::size_t kRecord = 18;  // does not divide the block size
  std::size_t at = 0;
  for (; at + kRecord <= bytes.size(); at += kRecord) {
    const unsigned char* record = file.Take(kRecord);
    ASSERT_NE(record, nullptr) << at;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(record), kRecord),
              bytes.substr(at, kRecord))
        << at;
  }
  // A record cut short by the end of the file is not handed out, and what is
  // left can still be read.
  EXPECT_EQ(file.Take(kRecord), nullptr);
  EXPECT_EQ(file.Position(), static_cast<std::int64_t>(at));
  std::string rest(bytes.size() - at, '\0');
  EXPECT_TRUE(file.ReadExact(rest.data(), rest.size()));
  EXPECT_EQ(rest, bytes.substr(at));
}

TEST(InFile, TakeServesARecordLargerThanABlockAndSeeksAfterward) {
  TempDir dir;
  const std::string bytes = Pattern(2 * kReadBlockSize + 100);
  WriteFile(dir / "rec", bytes);
  InFile file;
  ASSERT_TRUE(file.Open(dir / "rec"));
  ASSERT_NE(file.Take(10), nullptr);
  const unsigned char* big = file.Take(kReadBlockSize + 50);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(Mismatch(std::string(reinterpret_cast<const char*>(big), kReadBlockSize + 50),
                     bytes.substr(10, kReadBlockSize + 50)),
            "");
  ASSERT_TRUE(file.Seek(3));
  std::int32_t value = 0;
  EXPECT_TRUE(file.ReadI32(value));
  EXPECT_EQ(I32(value), bytes.substr(3, 4));
}

TEST(OutFile, ManyBlocksArriveWholeAndInOrder) {
  TempDir dir;
  const std::string bytes = Pattern(5 * kBlockSize + 123);
  OutFile file;
  ASSERT_TRUE(file.Create(dir / "out"));
  // Pieces of uneven sizes through every way of writing.
  std::size_t at = 0;
  for (std::size_t piece = 1; at < bytes.size(); piece = piece % 997 + 13) {
    const std::size_t n = std::min(piece, bytes.size() - at);
    if (piece % 3 == 0) {
      char* room = file.Room(n);
      std::copy_n(bytes.data() + at, n, room);
      file.Commit(room + n);
    } else {
      file.Write(bytes.data() + at, n);
    }
    at += n;
  }
  file.Write(bytes.data(), 0);
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Mismatch(ReadFile(dir / "out"), bytes), "");
}

TEST(OutFile, RoomForMoreThanABlockKeepsTheBytesAroundItInOrder) {
  // A record or line longer than a block (a discrete record of very many
  // channels) is put in one piece all the same.
  TempDir dir;
  const std::string bytes = Pattern(5 * kBlockSize + 7);
  const std::size_t pieces[] = {kBlockSize - 3, 2 * kBlockSize + 1, 11, kBlockSize};
  OutFile file;
  ASSERT_TRUE(file.Create(dir / "out"));
  std::size_t at = 0;
  for (std::size_t n : pieces) {
    char* room = file.Room(n);
    std::copy_n(bytes.data() + at, n, room);
    file.Commit(room + n);
    at += n;
  }
  file.Write(bytes.data() + at, bytes.size() - at);
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(Mismatch(ReadFile(dir / "out"), bytes), "");
}

// The disk fills in the second of four blocks, which the helper thread writes
// while the third is filled; a close that fails after every byte was written
// is a failure too.
TEST(OutFile, FailedWriteOrCloseOfALargeFileShowsAtCloseAndAbandonLeavesNoFile) {
  TempDir dir;
  FaultyFiles files;
  const std::string block = Pattern(kBlockSize);
  files.FillDiskAt("full", kBlockSize + 7);
  files.FailClose("unclosed");
  for (const char* name : {"full", "unclosed"}) {
    OutFile out;
    ASSERT_TRUE(out.Create(dir / name));
    for (int i = 0; i < 4; ++i) out.Write(block);
    EXPECT_FALSE(out.Close()) << name;
    EXPECT_EQ(ReadFile(dir / name).size(),
              std::string(name) == "full" ? kBlockSize + 7 : 4 * kBlockSize);
  }

  OutFile abandoned;
  ASSERT_TRUE(abandoned.Create(dir / "out"));
  for (int i = 0; i < 4; ++i) abandoned.Write(block);
  abandoned.Abandon();
  EXPECT_FALSE(Exists(dir / "out"));
}

}  // namespace
}  // namespace velk::testing
