// Digital channel states in COMTRADE data records: 16 channels to a 16-bit
// status word, channel 1 in bit 0 of the first word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velk {

class OutFile;
struct DiscreteTables;

// The states of the digital channels in one data record: channel index c is
// bit c mod 16 of word c div 16 (1 = active).
struct StatusWords {
  std::vector<std::uint16_t> words;
};

// Sets (state 1) or clears (state 0) the bit of a channel index.
void SetStatusBit(StatusWords& status, std::int32_t channel, int state);
// Sets the bits of the channels active from the start of the record.
void SetInitialBits(StatusWords& status, const DiscreteTables& tables);
// Applies the count events in front of position end, last to first.
void ApplyEventsDIS(StatusWords& status, const DiscreteTables& tables, std::size_t count,
                    std::size_t end);
// Appends the status words of one data record of a record with `channels`
// digital channels.
void WriteStatusWords(StatusWords& status, std::int32_t channels, OutFile& dat);

// W, the status words of a record with n digital channels: 1 below 16 channels,
// otherwise n / 16 rounded up.
std::int64_t StatusWordCount(std::int64_t n);

// The digital channel count of a configuration file's line 2 ("TT,##A,##D"):
// the number after its second comma; 0 when there is none.
std::int64_t ReadDigitalCount(std::string_view second_line);

// Appends "," and "1" or "0" for each of the n channels of one BINARY record,
// in channel order, given the record's bytes from its first status word on (W
// words).
void WriteBitsASCII(const unsigned char* words, OutFile& text, std::int64_t n);

// The status words of the longest lines put in one piece: 512 channels.
inline constexpr std::uint64_t kShortLineWords = 32;
// The same put at out, which has kBitFieldsRoom bytes of room for each status
// word; returns the end of what it put.
char* PutBitsASCII(const unsigned char* words, char* out, std::int64_t n);

}  // namespace velk
