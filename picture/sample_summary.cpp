// Building the levels of a record's min/max summary.
#include "picture/sample_summary.h"

#include <algorithm>

#include "picture/record_source.h"

namespace velk {

void SampleSummary::AddBlock(std::span<const MinMax> channels, std::int64_t samples) {
  if (levels_.empty()) levels_.emplace_back();
  levels_.front().insert(levels_.front().end(), channels.begin(), channels.end());
  samples_ += samples;
}

void SampleSummary::Reserve(std::int64_t samples) {
  if (levels_.empty()) levels_.emplace_back();
  const std::int64_t blocks = (std::max<std::int64_t>(samples, 0) + base_block_ - 1) / base_block_;
  levels_.front().reserve(static_cast<std::size_t>(blocks * channels_));
}

void SampleSummary::Finish() {
  if (levels_.empty()) levels_.emplace_back();
  const auto width = static_cast<std::size_t>(channels_);
  while (width > 0 && levels_.back().size() > width) {
    const std::vector<MinMax>& finer = levels_.back();
    std::vector<MinMax> coarser;
    const std::size_t finer_blocks = finer.size() / width;
    coarser.reserve((finer_blocks / kFanOut + 1) * width);
    for (std::size_t b = 0; b < finer_blocks; b += kFanOut) {
      const std::size_t end = std::min(finer_blocks, b + kFanOut);
      for (std::size_t c = 0; c < width; ++c) {
        MinMax m = finer[b * width + c];
        for (std::size_t f = b + 1; f < end; ++f) m.Add(finer[f * width + c]);
        coarser.push_back(m);
      }
    }
    levels_.push_back(std::move(coarser));
  }
  for (auto& level : levels_) level.shrink_to_fit();
}

std::int64_t SampleSummary::BaseBlockFor(std::int64_t samples, int channels,
                                         std::int64_t max_pairs) {
  std::int64_t block = kBaseBlock;
  const std::int64_t width = std::max(channels, 1);
  while (block < (std::int64_t{1} << 40) && (samples + block - 1) / block * width > max_pairs)
    block *= 2;
  return block;
}

std::int64_t SampleSummary::BlockSamples(int level) const {
  std::int64_t samples = base_block_;
  for (int l = 0; l < level; ++l) samples *= kFanOut;
  return samples;
}

std::int64_t SampleSummary::Blocks(int level) const {
  if (channels_ == 0 || level < 0 || level >= levels()) return 0;
  return static_cast<std::int64_t>(levels_[static_cast<std::size_t>(level)].size()) / channels_;
}

MinMax SampleSummary::At(int level, std::int64_t block, int channel) const {
  return levels_[static_cast<std::size_t>(level)]
                [static_cast<std::size_t>(block * channels_ + channel)];
}

std::size_t SampleSummary::Bytes() const {
  std::size_t bytes = sizeof(*this);
  for (const auto& level : levels_) bytes += level.capacity() * sizeof(MinMax);
  return bytes;
}

void AddSamples(SampleSummary& summary, std::span<const double> values, int channels) {
  const auto width = static_cast<std::size_t>(std::max(channels, 1));
  const std::size_t samples = values.size() / width;
  std::vector<MinMax> block(width);
  const auto base = static_cast<std::size_t>(summary.base_block());
  for (std::size_t first = 0; first < samples; first += base) {
    const std::size_t end = std::min(samples, first + base);
    std::fill(block.begin(), block.end(), MinMax{});
    for (std::size_t n = first; n < end; ++n)
      for (std::size_t c = 0; c < width; ++c) block[c].Add(values[n * width + c]);
    summary.AddBlock({block.data(), static_cast<std::size_t>(channels)},
                     static_cast<std::int64_t>(end - first));
  }
}

bool RecordSource::SpanMinMax(std::span<const std::int64_t> bounds,
                              std::vector<MinMax>& out) const {
  const std::size_t channels = layout().channels.size();
  out.assign(bounds.empty() ? 0 : (bounds.size() - 1) * channels, MinMax{});
  if (bounds.size() < 2) return true;
  // The samples a chunk at a time, each into the span it belongs to.
  constexpr std::int64_t kChunk = 4096;
  std::vector<double> values;
  std::size_t span = 0;
  for (std::int64_t first = bounds.front(); first < bounds.back(); first += kChunk) {
    const std::int64_t count = std::min(kChunk, bounds.back() - first);
    if (!Read(first, count, values)) return false;
    for (std::int64_t n = first; n < first + count; ++n) {
      while (n >= bounds[span + 1]) ++span;
      const double* sample = values.data() + static_cast<std::size_t>(n - first) * channels;
      MinMax* to = out.data() + span * channels;
      for (std::size_t c = 0; c < channels; ++c) to[c].Add(sample[c]);
    }
  }
  return true;
}

bool RecordSource::Summarize(SampleSummary& summary) const {
  const SourceLayout& record = layout();
  const auto channels = static_cast<int>(record.channels.size());
  summary.Reserve(record.samples);
  // Whole blocks of the finest level at a time, a run of them per read.
  const std::int64_t base = summary.base_block();
  const std::int64_t run_samples = base * std::max<std::int64_t>(1, 2048 / base);
  std::vector<double> values;
  for (std::int64_t done = 0; done < record.samples;) {
    const std::int64_t run = std::min(run_samples, record.samples - done);
    if (!Read(done, run, values)) return false;
    AddSamples(summary, values, channels);
    done += run;
  }
  summary.Finish();
  return true;
}

}  // namespace velk
