// Any COMTRADE record as the picture reads it: the channels, rates, moments
// and samples that the COMTRADE reader finds in a .cfg with its .dat or in a
// .cff, of any revision and data format it reads.
//
// Opening reads the data once, in order: the min/max summary, the states of
// the digital channels as steps, and, for a record timed by its stamps, the
// runs of equal steps as its rates. A span read again later starts at a
// known place of the data file: a binary sample lies at a fixed record size
// from the first; for ASCII data the byte offset of every kIndexSamples-th
// sample is kept (16 bytes for each 2048 samples, a small part of what the
// summary holds of the same samples).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comtrade/configuration.h"
#include "comtrade/diagnostics.h"
#include "picture/record_source.h"
#include "picture/sample_summary.h"

namespace velk {

class ComtradeSource;

struct ComtradeOpening {
  std::unique_ptr<ComtradeSource> source;
  // Without a source: the reader's first error, which ErrorText tells.
  Diagnostic error;
};

// "path:line: text" of a reader's finding (without ":line" when it has none), UTF-8.
std::string ErrorText(const Diagnostic& diagnostic);

// True for a path that names a COMTRADE record: .cfg or .cff, in any letter case.
bool IsComtradePath(const std::string& path);

class ComtradeSource : public RecordSource {
 public:
  // A byte offset is kept for every this many samples of ASCII data.
  static constexpr std::int64_t kIndexSamples = 64 * SampleSummary::kBaseBlock;
  // A record timed by its stamps keeps at most this many runs of equal steps;
  // one whose steps change more often is drawn at its mean rate.
  static constexpr std::size_t kMaxStampRuns = 4096;

  // max_base_pairs bounds the summary's finest level (SampleSummary::BaseBlockFor).
  static ComtradeOpening Open(const std::string& path,
                              std::int64_t max_base_pairs = SampleSummary::kMaxBasePairs);

  const std::string& path() const { return path_; }
  const SourceLayout& layout() const override { return layout_; }
  bool Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const override;
  bool SpanMinMax(std::span<const std::int64_t> bounds, std::vector<MinMax>& out) const override;
  // Hands over the summary the opening built; a second call reads it again.
  bool Summarize(SampleSummary& summary) const override;

 private:
  ComtradeSource() = default;
  bool ReadBinary(std::int64_t first, std::int64_t count, std::vector<double>& out) const;

  struct Place {
    std::int64_t position = 0, line = 0;
  };

  std::string path_;
  SourceLayout layout_;
  bool binary_ = true;
  std::int64_t first_position_ = 0;  // of sample 0 in the data file
  std::int64_t record_size_ = 0;     // bytes of a binary sample
  std::string dat_path_;             // the data file (the .cff itself for one)
  DataFileType file_type_ = DataFileType::kBinary;
  std::vector<Place> ascii_places_;  // of samples 0, kIndexSamples, 2 * kIndexSamples, ...
  mutable std::optional<SampleSummary> summary_;

  friend struct ComtradePass;
};

class RecordPicture;

// The picture of a COMTRADE record; without one, the reader's first error
// (ErrorText tells it with its file and line).
struct ComtradePicture {
  std::unique_ptr<RecordPicture> picture;
  Diagnostic error;
};
ComtradePicture OpenComtradePicture(const std::string& path);

}  // namespace velk
