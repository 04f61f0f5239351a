#include "tools/records/record_builder.h"

#include <map>

#include "comtrade/cp1251.h"

namespace velk::testing {
namespace {

// The display code of the letters our sample names use (device display table).
const std::map<std::string, std::uint8_t>& DisplayCodes() {
  static const std::map<std::string, std::uint8_t> codes = {
      {"А", 0x41}, {"Б", 0xA0}, {"В", 0x42}, {"Г", 0xA1}, {"Д", 0xE0}, {"Е", 0x45}, {"К", 0x4B},
      {"Л", 0xA7}, {"М", 0x4D}, {"Н", 0x48}, {"О", 0x4F}, {"П", 0xA8}, {"Р", 0x50}, {"С", 0x43},
      {"Т", 0x54}, {"У", 0xA9}, {"Ц", 0xE1}, {"а", 0x61}, {"в", 0xB3}, {"е", 0x65}, {"и", 0xB8},
      {"к", 0xBA}, {"л", 0xBB}, {"н", 0xBD}, {"о", 0x6F}, {"р", 0x70}, {"с", 0x63}, {"т", 0xBF},
      {"я", 0xC7}, {"ь", 0xC4}, {"ч", 0xC0}};
  return codes;
}

std::size_t Utf8Length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
}

}  // namespace

std::string Cp(std::string_view utf8) {
  static const std::map<std::string, char> bytes = [] {
    std::map<std::string, char> table;
    for (int b = 0x80; b < 0x100; ++b) {
      const char c = static_cast<char>(b);
      table[Cp1251ToUtf8(std::string_view(&c, 1))] = c;
    }
    return table;
  }();
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = Utf8Length(static_cast<unsigned char>(utf8[i]));
    const std::string one(utf8.substr(i, n));
    out += n == 1 ? one[0] : bytes.at(one);
    i += n;
  }
  return out;
}

std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

FlhRecord& FlhRecord::Factor(std::size_t offset, std::uint16_t high, std::uint16_t low) {
  calibration[offset] = static_cast<std::uint8_t>(high & 0xFF);
  calibration[offset + 1] = static_cast<std::uint8_t>(high >> 8);
  calibration[offset + 2] = static_cast<std::uint8_t>(low & 0xFF);
  calibration[offset + 3] = static_cast<std::uint8_t>(low >> 8);
  return *this;
}

FlhRecord& FlhRecord::Number(std::size_t offset, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  calibration[offset] = static_cast<std::uint8_t>(bits & 0xFF);
  calibration[offset + 1] = static_cast<std::uint8_t>(bits >> 8);
  return *this;
}

FlhRecord& FlhRecord::DisplayName(std::string_view display_bytes) {
  stored_name.fill(' ');
  for (std::size_t i = 0; i < stored_name.size() && i < display_bytes.size(); ++i)
    stored_name[i ^ 1] = static_cast<std::uint8_t>(display_bytes[i]);
  return *this;
}

FlhRecord& FlhRecord::Name(std::string_view utf8) {
  std::string display;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = Utf8Length(static_cast<unsigned char>(utf8[i]));
    const std::string one(utf8.substr(i, n));
    display += n == 1 ? one[0] : static_cast<char>(DisplayCodes().at(one));
    i += n;
  }
  return DisplayName(display);
}

FlhRecord& FlhRecord::Ramp(int n, std::int16_t seed) {
  for (int i = 0; i < n; ++i) {
    std::array<std::int16_t, 9> words{};
    for (int k = 0; k < 8; ++k)
      words[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(seed + 100 * i + k);
    words[8] = -1;
    samples.push_back(words);
  }
  return *this;
}

std::string FlhRecord::Bytes() const {
  std::string bytes(72, '\0');
  for (std::size_t i = 0; i < calibration.size(); ++i) bytes[i] = static_cast<char>(calibration[i]);
  const std::size_t moment_at[6] = {36, 37, 38, 40, 41, 42};
  for (std::size_t i = 0; i < 6; ++i) bytes[moment_at[i]] = static_cast<char>(moment_bcd[i]);
  bytes[43] = static_cast<char>(device_type);
  for (std::size_t i = 0; i < stored_name.size(); ++i)
    bytes[60 + i] = static_cast<char>(stored_name[i]);
  for (const auto& sample : samples)
    for (std::int16_t word : sample) bytes += I16(word);
  return bytes;
}

std::string I32(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  return {static_cast<char>(bits & 0xFF), static_cast<char>((bits >> 8) & 0xFF),
          static_cast<char>((bits >> 16) & 0xFF), static_cast<char>(bits >> 24)};
}

std::string I16(std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  return {static_cast<char>(bits & 0xFF), static_cast<char>(bits >> 8)};
}

std::string Mismatch(const std::string& actual, const std::string& expected) {
  if (actual == expected) return "";
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
         ", first difference at byte " + std::to_string(at);
}

std::string AsciiDataOf(const std::string& dat, int analog, int status_words, int digital) {
  const auto at = [&dat](std::size_t offset, int bytes) {
    std::uint32_t bits = 0;
    for (int i = 0; i < bytes; ++i)
      bits |= static_cast<std::uint32_t>(
                  static_cast<unsigned char>(dat[offset + static_cast<std::size_t>(i)]))
              << (8 * i);
    return bits;
  };
  const std::size_t size = 8 + 2 * static_cast<std::size_t>(analog + status_words);
  std::string text;
  for (std::size_t record = 0; record + size <= dat.size(); record += size) {
    text += std::to_string(static_cast<std::int32_t>(at(record, 4))) + "," +
            std::to_string(static_cast<std::int32_t>(at(record + 4, 4)));
    for (int v = 0; v < analog; ++v)
      text += "," + std::to_string(static_cast<std::int16_t>(
                        at(record + 8 + 2 * static_cast<std::size_t>(v), 2)));
    const std::size_t words = record + 8 + 2 * static_cast<std::size_t>(analog);
    for (int c = 0; c < digital; ++c)
      text += (at(words + 2 * static_cast<std::size_t>(c / 16), 2) >> (c % 16)) & 1 ? ",1" : ",0";
    text += "\r\n";
  }
  return text;
}

}  // namespace velk::testing
