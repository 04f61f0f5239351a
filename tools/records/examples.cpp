#include "tools/records/examples.h"

#include <cmath>
#include <numbers>

#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

constexpr int kFaultAt = 200;  // the sample at which the simulated fault begins

// One 50 Hz wave per sample word (800 samples a second: 16 samples a period).
struct Wave {
  double before;   // amplitude before the fault, in recorded units
  double after;    // amplitude from the fault on
  double degrees;  // phase
};

FlhRecord Waves(FlhRecord r, int samples, const std::vector<Wave>& words) {
  for (int i = 0; i < samples; ++i) {
    std::array<std::int16_t, 9> sample{};
    for (std::size_t k = 0; k < words.size() && k < 8; ++k) {
      const Wave& w = words[k];
      const double angle = 2 * std::numbers::pi * (i / 16.0 + w.degrees / 360.0);
      const double amplitude = i < kFaultAt ? w.before : w.after;
      sample[k] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(angle)));
    }
    sample[8] = 0;
    r.samples.push_back(sample);
  }
  return r;
}

FlhRecord Header(std::int8_t type, const char* name) {
  FlhRecord r;
  r.device_type = type;
  r.moment_bcd = {0x24, 0x03, 0x12, 0x14, 0x27, 0x05};  // 12.03.2024 14:27:05
  r.Name(name);
  return r;
}

// Type 60: feeder protection, three phase currents, residual current and voltages.
std::string Feeder60() {
  FlhRecord r = Header(60, "ПС Северная");
  r.Factor(0, 1, 0x4000).Factor(4, 0, 0x8000).Factor(8, 2, 0);  // K1 1.25, K2 0.5, K3 2.0
  r.Number(12, 100).Number(14, 120).Number(16, 60);
  // words: IA UAB IB UBC IC UCA 3I0 3U0
  return Waves(r, 480,
               {{700, 4200, 0},
                {9000, 6200, 30},
                {700, 700, 240},
                {9000, 8800, 270},
                {700, 700, 120},
                {9000, 6100, 150},
                {20, 3500, 0},
                {50, 2400, 180}})
      .Bytes();
}

// Type 14: phase voltages instead of line voltages.
std::string Transformer14() {
  FlhRecord r = Header(14, "ТП Лесная");
  r.Factor(0, 1, 0).Factor(4, 0, 0x6C00).Factor(8, 3, 0);
  r.Number(12, 35).Number(14, 40).Number(16, 20);
  return Waves(r, 320,
               {{900, 2600, 0},
                {5200, 3000, 0},
                {900, 2500, 240},
                {5200, 3100, 240},
                {900, 900, 120},
                {5200, 5100, 120},
                {10, 1700, 0}})
      .Bytes();
}

// Type 31: one current and one voltage.
std::string Line31() {
  FlhRecord r = Header(31, "РП Восток");
  r.Factor(0, 0, 0xC000).Factor(4, 0, 0x4000).Number(12, 60).Number(14, 80);
  return Waves(r, 240, {{1500, 5200, 0}, {8000, 4100, 60}}).Bytes();
}

// A device type this converter does not know: converted with the fallback table.
std::string Unknown() {
  FlhRecord r = Header(33, "КРУ-10 яч5");
  r.Number(8, 100).Number(10, 1200).Number(12, 600);
  return Waves(r, 160,
               {{30, 30, 0},
                {600, 600, 0},
                {600, 600, 240},
                {600, 600, 120},
                {40, 40, 0},
                {7000, 7000, 30},
                {7000, 7000, 270},
                {7000, 7000, 150}})
      .Bytes();
}

// The discrete record of the feeder's fault, started at the same moment as the
// analog record: pick-ups and drop-outs of the protection's signals.
std::string FeederDiscrete() {
  return DiscreteRecord()
      .Pair("Запись № 17 дискретного регистратора", "ВЕЛК-60 ПС Северная")
      .Pair("===================================================", "-")
      .Pair("12 03 14:27:05", "Пуск регистратора")
      .Event("0000.125", "П", "Пуск МТЗ")
      .Event("0000.125", "П", "Пуск ЗНЗ")
      .Event("0000.310", "П", "МТЗ 1 ступень")
      .Event("0000.312", "П", "Отключение выключателя")
      .Event("0000.355", "У", "РПВ")  // breaker closed: active until it opens
      .Event("0000.355", "П", "РПО")
      .Event("0000.410", "У", "Пуск МТЗ")
      .Event("0000.410", "У", "Пуск ЗНЗ")
      .Event("0000.415", "У", "МТЗ 1 ступень")
      .Event("0000.480", "У", "Отключение выключателя")
      .Pair("===================================================", "-")
      .Pair("Частота 50.0 Гц", "-")
      .Bytes();
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ExampleRecords() {
  return {{"feeder_type60.flh", Feeder60()},
          {"feeder_type60.txt", FeederDiscrete()},
          {"transformer_type14.flh", Transformer14()},
          {"line_type31.flh", Line31()},
          {"unknown_type33.flh", Unknown()}};
}

}  // namespace velk::testing
