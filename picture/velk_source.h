// Our own records as the picture reads them: an analog record (.flh), a
// discrete record (.txt), or both on the combined pair's sample grid, checked
// as their conversion checks them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "comtrade/file_io.h"
#include "comtrade/report.h"
#include "picture/record_source.h"

namespace velk {

// 800 samples a second: the time from one analog sample to the next.
inline constexpr double kSampleStepMs = 1.25;
// One cycle of 50 Hz at 800 samples a second.
inline constexpr std::int64_t kCycleSamples = 16;

// What a picture is of.
struct PictureRecords {
  std::string analog;    // the .flh record, or empty
  std::string discrete;  // the .txt record, or empty
};

class VelkSource;

struct VelkOpening {
  // Success; or the check's failure, whose MessageText is the label the window
  // shows ("Поврежден", "Поврежден7", "Не найден"), with the record it concerns.
  Outcome outcome;
  bool starts_differ = false;  // two records of different start moments
  std::unique_ptr<VelkSource> source;
};

class VelkSource : public RecordSource {
 public:
  // Checks the records as their conversion would, then reads the channel
  // lines of the analog record and the states of the discrete one. Two records
  // must start at one moment (StartsAgree).
  static VelkOpening Open(const PictureRecords& records);

  const PictureRecords& records() const { return records_; }
  const SourceLayout& layout() const override { return layout_; }
  bool Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const override;
  // Eight sample words side by side, as the record stores them.
  bool Summarize(SampleSummary& summary) const override;

 private:
  VelkSource() = default;
  bool SumSamples(InFile& flh, SampleSummary& summary) const;

  PictureRecords records_;
  SourceLayout layout_;
  std::int64_t record_size_ = 0;
  std::vector<std::uint8_t> words_;  // the sample word of each channel
  // The analog record as Open read its channels, until Summarize has read its
  // samples from the same open file.
  mutable InFile opened_;

  friend struct VelkReader;
};

// The phase ("A", "AB", "N" for a residual quantity, or empty) and the
// circuit ("", "1", "_H", "L") that a channel name gives: "Ток IA_H" is
// phase A of circuit _H, "Напряжение 1UB" phase B of circuit 1, as another
// maker's "VB(kV)" is phase B and "ICL" phase C of circuit L.
void PhaseOfName(const std::string& name, std::string& phase, std::string& circuit);

}  // namespace velk
