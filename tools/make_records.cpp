// make-records FOLDER: writes records of every device type into FOLDER, for
// comparing the conversions of two builds (scripts/compare-windows.sh):
//   typeN.flh  an analog record of each device type N, of the fallback type
//              99 and of 33, a code of no type: calibration, samples and
//              status words drawn from a fixed pseudo-random sequence, so that
//              values cover their whole range; start 13.02.2019 16:33:45
//   events.txt a discrete record of the same start with signals picking up
//              and dropping out, to combine with every typeN.flh
// The same FOLDER always receives the same bytes.
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "analog/device_types.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

// A code of no device type, besides the fallback type's own code 99.
constexpr int kUnknownCode = 33;
constexpr int kSamples = 2400;  // three seconds

// A fixed sequence of 32-bit numbers (a linear congruential generator).
class Sequence {
 public:
  explicit Sequence(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_;
  }
  std::int16_t Word() { return static_cast<std::int16_t>(Next() >> 16); }
  std::uint16_t Bits() { return static_cast<std::uint16_t>(Next() >> 16); }

 private:
  std::uint32_t state_;
};

FlhRecord Analog(int type) {
  Sequence random(static_cast<std::uint32_t>(type) * 7919u);
  FlhRecord r;
  r.device_type = static_cast<std::int8_t>(type);
  r.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  r.Name("ПС Север " + std::to_string(type));
  for (auto& byte : r.calibration) byte = static_cast<std::uint8_t>(random.Next() >> 24);
  // Factors of a few units: a whole part of 0 to 3 and any fraction.
  for (std::size_t offset : {0u, 4u, 8u})
    r.Factor(offset, static_cast<std::uint16_t>(random.Next() >> 30), random.Bits());
  for (int i = 0; i < kSamples; ++i) {
    std::array<std::int16_t, 9> words{};
    for (std::size_t k = 0; k < 8; ++k) words[k] = random.Word();
    words[8] = static_cast<std::int16_t>(random.Bits());
    r.samples.push_back(words);
  }
  return r;
}

std::string Events() {
  DiscreteRecord r;
  r.Start();
  const char* signals[] = {"Пуск МТЗ", "РПВ", "Откл Q1", "АПВ", "ЗМН", "Вызов"};
  Sequence random(4242);
  int time = 0;
  for (int e = 0; e < 60; ++e) {
    time += 1 + static_cast<int>(random.Next() % 50);
    r.Event(TimeWord(time), e % 3 == 2 ? "У" : "П", signals[random.Next() % 6]);
  }
  return r.Bytes();
}

bool Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  if (out.flush()) return true;
  std::cerr << "cannot write " << path << "\n";
  return false;
}

}  // namespace
}  // namespace velk::testing

int main(int argc, char** argv) {
  using namespace velk::testing;
  if (argc != 2) {
    std::cerr << "usage: make-records FOLDER\n";
    return 64;
  }
  const std::string folder = std::string(argv[1]) + "/";
  std::vector<int> codes;
  for (const velk::DeviceType& type : velk::DeviceTypes()) codes.push_back(type.code);
  codes.insert(codes.end(), {velk::FallbackDeviceType().code, kUnknownCode});
  for (int type : codes)
    if (!Write(folder + "type" + std::to_string(type) + ".flh", Analog(type).Bytes())) return 1;
  return Write(folder + "events.txt", Events()) ? 0 : 1;
}
