#include "discrete/status_words.h"

#include <limits>

#include "comtrade/data_text.h"
#include "comtrade/file_io.h"
#include "discrete/discrete_record.h"

namespace velk {

std::int64_t StatusWordCount(std::int64_t n) {
  if (n < 16) return 1;
  return n / 16 + (n % 16 != 0 ? 1 : 0);
}

std::int64_t ReadDigitalCount(std::string_view second_line) {
  const auto first_comma = second_line.find(',');
  if (first_comma == std::string_view::npos) return 0;
  const auto second_comma = second_line.find(',', first_comma + 1);
  if (second_comma == std::string_view::npos) return 0;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t count = 0;
  for (std::size_t i = second_comma + 1;
       i < second_line.size() && second_line[i] >= '0' && second_line[i] <= '9'; ++i) {
    count = std::min(kLimit, count * 10 + (second_line[i] - '0'));
  }
  return count;
}

namespace {

// Has put(word, bits) put the bits of each status word of a record with n
// digital channels: 16 for every word but the last, which has what is left.
template <typename PutWord>
void ForEachStatusWord(const unsigned char* words, std::int64_t n, PutWord&& put) {
  const std::int64_t count = StatusWordCount(n);
  for (std::int64_t w = 0; w < count; ++w) {
    const auto bits = static_cast<std::size_t>(w < count - 1 ? 16 : n - 16 * (count - 1));
    put(LittleU16(words + 2 * w), bits);
  }
}

}  // namespace

void WriteBitsASCII(const unsigned char* words, OutFile& text, std::int64_t n) {
  ForEachStatusWord(words, n, [&text](std::uint16_t word, std::size_t bits) {
    text.Commit(PutBitFields(text.Room(kBitFieldsRoom), word, bits));
  });
}

char* PutBitsASCII(const unsigned char* words, char* out, std::int64_t n) {
  ForEachStatusWord(words, n, [&out](std::uint16_t word, std::size_t bits) {
    out = PutBitFields(out, word, bits);
  });
  return out;
}

void SetStatusBit(StatusWords& status, std::int32_t channel, int state) {
  const auto word = static_cast<std::size_t>(channel / 16);
  if (word >= status.words.size()) status.words.resize(word + 1);
  const auto bit = static_cast<std::uint16_t>(1u << (channel % 16));
  if (state != 0) {
    status.words[word] |= bit;
  } else {
    status.words[word] &= static_cast<std::uint16_t>(~bit);
  }
}

void SetInitialBits(StatusWords& status, const DiscreteTables& tables) {
  for (std::int32_t channel : tables.initially_active) SetStatusBit(status, channel, 1);
}

void ApplyEventsDIS(StatusWords& status, const DiscreteTables& tables, std::size_t count,
                    std::size_t end) {
  // From the group's last event back to its first: when one channel changes
  // twice at one time, the change listed first in the record decides.
  for (std::size_t i = end; i > end - count; --i) {
    const DiscreteEvent& event = tables.events[i - 1];
    SetStatusBit(status, event.channel, event.drop_out ? 0 : 1);
  }
}

void WriteStatusWords(StatusWords& status, std::int32_t channels, OutFile& dat) {
  const auto words = static_cast<std::size_t>(StatusWordCount(channels));
  if (status.words.size() < words) status.words.resize(words);
  for (std::size_t w = 0; w < words; ++w) dat.U16(status.words[w]);
}

}  // namespace velk
