// Building the levels of a record's min/max summary.
#include "picture/sample_summary.h"

#include <algorithm>
#include <limits>

namespace velk {

namespace {

void Merge(MinMax& into, MinMax more) {
  into.Add(more);
}
template <typename Pair>
void Merge(Pair& into, Pair more) {
  into.min = std::min(into.min, more.min);
  into.max = std::max(into.max, more.max);
}

}  // namespace

void SampleSummary::AddBlock(std::span<const MinMax> channels, std::int64_t samples) {
  samples_ += samples;
  if (!words16_) {
    if (levels_.empty()) levels_.emplace_back();
    levels_.front().insert(levels_.front().end(), channels.begin(), channels.end());
    return;
  }
  if (word_levels_.empty()) word_levels_.emplace_back();
  constexpr float kLeast = std::numeric_limits<std::int16_t>::min();
  constexpr float kGreatest = std::numeric_limits<std::int16_t>::max();
  std::vector<WordPair>& level = word_levels_.front();
  const std::size_t at = level.size();
  level.resize(at + channels.size());
  for (std::size_t c = 0; c < channels.size(); ++c) {
    const MinMax m = channels[c];
    // An empty block's infinities fall on the words' ends the other way round.
    level[at + c] = {static_cast<std::int16_t>(std::clamp(m.min, kLeast, kGreatest)),
                     static_cast<std::int16_t>(std::clamp(m.max, kLeast, kGreatest))};
  }
}

void SampleSummary::Reserve(std::int64_t samples) {
  const std::int64_t blocks = (std::max<std::int64_t>(samples, 0) + base_block_ - 1) / base_block_;
  const auto pairs = static_cast<std::size_t>(blocks * channels_);
  if (words16_) {
    if (word_levels_.empty()) word_levels_.emplace_back();
    word_levels_.front().reserve(pairs);
  } else {
    if (levels_.empty()) levels_.emplace_back();
    levels_.front().reserve(pairs);
  }
}

template <typename Pair>
void SampleSummary::Coarsen(std::vector<std::vector<Pair>>& levels, std::size_t width) {
  if (levels.empty()) levels.emplace_back();
  while (width > 0 && levels.back().size() > width) {
    const std::vector<Pair>& finer = levels.back();
    std::vector<Pair> coarser;
    const std::size_t finer_blocks = finer.size() / width;
    coarser.reserve((finer_blocks / kFanOut + 1) * width);
    for (std::size_t b = 0; b < finer_blocks; b += kFanOut) {
      const std::size_t end = std::min(finer_blocks, b + kFanOut);
      for (std::size_t c = 0; c < width; ++c) {
        Pair m = finer[b * width + c];
        for (std::size_t f = b + 1; f < end; ++f) Merge(m, finer[f * width + c]);
        coarser.push_back(m);
      }
    }
    levels.push_back(std::move(coarser));
  }
  for (auto& level : levels) level.shrink_to_fit();
}

void SampleSummary::Finish() {
  const auto width = static_cast<std::size_t>(channels_);
  if (words16_)
    Coarsen(word_levels_, width);
  else
    Coarsen(levels_, width);
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
  const auto l = static_cast<std::size_t>(level);
  const std::size_t pairs = words16_ ? word_levels_[l].size() : levels_[l].size();
  return static_cast<std::int64_t>(pairs) / channels_;
}

std::size_t SampleSummary::Bytes() const {
  std::size_t bytes = sizeof(*this);
  for (const auto& level : levels_) bytes += level.capacity() * sizeof(MinMax);
  for (const auto& level : word_levels_) bytes += level.capacity() * sizeof(WordPair);
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

}  // namespace velk
