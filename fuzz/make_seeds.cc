// make-fuzz-seeds FOLDER: writes the seed corpus of every fuzz target into
// FOLDER/TARGET/ (fuzz/corpus is made by it): the sample records of examples/
// and records like those the tests build, and for the ASCII derivation the
// BINARY pairs that the conversions make of them.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

#include "analog/analog_record.h"
#include "discrete/discrete_record.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Seeds = std::map<std::string, std::string>;  // file name -> bytes

Seeds AnalogRecords() {
  Seeds seeds;
  for (const auto& [name, bytes] : ExampleRecords())
    if (name.ends_with(".flh")) seeds[name] = bytes;
  std::vector<int> codes;
  for (const DeviceType& type : DeviceTypes()) codes.push_back(type.code);
  codes.push_back(33);  // a code of no device type
  for (int type : codes) {
    FlhRecord r;
    r.device_type = static_cast<std::int8_t>(type);
    r.Name("ПС, Север").Factor(0, 1, 0x4000).Factor(4, 0, 0x6C00).Number(12, 1005);
    seeds["type" + std::to_string(type) + ".flh"] = r.Ramp(3).Bytes();
  }
  seeds["header_only.flh"] = FlhRecord().Bytes();
  seeds["cut_short.flh"] = FlhRecord().Ramp(1).Bytes().substr(0, 89);
  return seeds;
}

Seeds DiscreteRecords() {
  Seeds seeds;
  seeds["feeder_type60.txt"] = ExampleRecords()[1].second;
  seeds["worked.txt"] = DiscreteRecord()
                            .Start()
                            .Event("0000.010", "П", "A")
                            .Event("0000.012", "П", "B")
                            .Event("0000.013", "У", "A")
                            .Bytes();
  DiscreteRecord many;
  many.Start();
  for (int c = 1; c <= 17; ++c) many.Event(TimeWord(c), "П", "K" + std::to_string(c));
  seeds["seventeen.txt"] = many.Bytes();
  seeds["forms.txt"] = DiscreteRecord()
                           .Line("; a comment line")
                           .Pair("Сопрот 12", "info")
                           .Pair("=====================", "-")
                           .Start("Пуск; comment")
                           .Event("0012.345", "У", "РПВ")
                           .Event("12345", "П", "a,b")
                           .Event("0012.345", "П", "РПВ")
                           .Pair("16:33:46 П", "Пуск")
                           .Pair("Частота 50", "-")
                           .Bytes("\n");
  seeds["damaged_day.txt"] = DiscreteRecord().Pair("3 02 16:33:45", "Пуск").Bytes();
  seeds["no_end.txt"] = DiscreteRecord().Start().Bytes().substr(0, 25);
  return seeds;
}

// The BINARY pair of a conversion, as the ascii_pair target reads it: the
// analog channel count, then the configuration and the data file.
std::string BinaryPair(const FormFixture& f, int analog_channels) {
  return std::string(1, static_cast<char>(analog_channels)) +
         fuzz::JoinTwo(ReadFile(f.dir / "out.cfg"), ReadFile(f.dir / "out.dat"));
}

Seeds BinaryPairs(const Seeds& analog, const Seeds& discrete) {
  Seeds seeds;
  for (const auto& [name, bytes] : analog) {
    FormFixture f;
    const std::string record = f.Put("rec.flh", bytes);
    if (ConvertAnalog(record, f.dir / "out.cfg", f.reports).ok())
      seeds[name + ".pair"] = BinaryPair(f, ReadAnalogHeader(record).header.AnalogCountANL);
  }
  for (const auto& [name, bytes] : discrete) {
    FormFixture f;
    StartMoment moment;
    moment.year = std::to_string(f.system.year);
    if (ConvertDiscrete(f.Put("rec.txt", bytes), f.dir / "out.cfg", moment, f.reports).ok())
      seeds[name + ".pair"] = BinaryPair(f, 0);
  }
  seeds["count_not_a_number.pair"] =
      std::string(1, '\0') + fuzz::JoinTwo(CrLf({"x,,1999", "1,0A,xD", "BINARY"}), I32(1) + I32(0));
  return seeds;
}

Seeds CombinedPairs(const Seeds& analog, const Seeds& discrete) {
  FlhRecord r;
  r.device_type = 31;
  r.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  return {{"feeder.pair",
           fuzz::JoinTwo(analog.at("feeder_type60.flh"), discrete.at("feeder_type60.txt"))},
          {"worked.pair", fuzz::JoinTwo(r.Ramp(100).Bytes(), discrete.at("worked.txt"))},
          {"short_lead_in.pair",
           fuzz::JoinTwo(r.Bytes().substr(0, 72 + 18 * 10), discrete.at("seventeen.txt"))}};
}

// COMTRADE records for the reader: the pairs our conversions write (form byte
// 0), and records of other forms: 1991 ASCII, several rates, a 2013 .cff
// with FLOAT32 data (form byte 1).
Seeds ComtradeRecords(const Seeds& analog, const Seeds& discrete) {
  Seeds seeds;
  for (const auto& [name, pair] : BinaryPairs(analog, discrete))
    seeds[name] = std::string(1, '\0') + pair.substr(1);
  const std::string ascii_1991 = CrLf(
      {"Station,Recorder", "3,1A,2D", "1,IA,A,,A,0.5,0,0,-99,99", "1,Trip,0", "2,Start,1", "50",
       "2", "1000,2", "500,3", "07/15/24,09:05:30.000000", "07/15/24,09:05:30.001000", "ASCII"});
  seeds["ascii_1991.pair"] =
      std::string(1, '\0') +
      fuzz::JoinTwo(ascii_1991, "1,0,5,1,0\r\n2,1000,,0,1\r\n3,3000,99999,1,1\r\n\x1A");
  std::string float_dat;
  for (std::int32_t n = 1; n <= 3; ++n) float_dat += I32(n) + I32(-1) + I32(0x3FC00000) + I16(1);
  seeds["float32.cff"] =
      "\x01--- file type: CFG ---\r\n" +
      CrLf({"S,R,2013", "2,1A,1D", "1,U,,,kV,1,0,0,-1,1,1,1,P", "1,Trip,,,0", "50", "0", "0,3",
            "17/02/2021,17:37:12.422969065", "17/02/2021,17:37:12.422969065", "FLOAT32", "1000",
            "+3,+3", "0,0"}) +
      "--- file type: INF ---\r\n--- file type: HDR ---\r\n--- file type: DAT FLOAT32: " +
      std::to_string(float_dat.size()) + " ---\r\n" + float_dat;
  return seeds;
}

bool WriteAll(const std::filesystem::path& folder, const Seeds& seeds) {
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(folder / name, std::ios::binary);
    if (!(out << bytes).flush()) {
      std::cerr << "cannot write " << (folder / name).string() << "\n";
      return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace velk::testing

int main(int argc, char** argv) {
  using namespace velk::testing;
  if (argc != 2) {
    std::cerr << "usage: make-fuzz-seeds FOLDER\n";
    return 64;
  }
  const std::filesystem::path root = argv[1];
  const Seeds analog = AnalogRecords();
  const Seeds discrete = DiscreteRecords();
  const Seeds comtrade = ComtradeRecords(analog, discrete);
  const bool written =
      WriteAll(root / "analog_header", analog) && WriteAll(root / "analog_convert", analog) &&
      WriteAll(root / "discrete_header", discrete) &&
      WriteAll(root / "discrete_convert", discrete) &&
      WriteAll(root / "combined_convert", CombinedPairs(analog, discrete)) &&
      WriteAll(root / "picture", CombinedPairs(analog, discrete)) &&
      WriteAll(root / "ascii_pair", BinaryPairs(analog, discrete)) &&
      WriteAll(root / "record_reader", comtrade) && WriteAll(root / "comtrade_picture", comtrade) &&
      WriteAll(root / "check_rest", comtrade);
  return written ? 0 : 1;
}
