// The min/max summary of a record's analog channels: what the picture draws
// from wherever a pixel column covers more than a few samples, built in one
// pass over the record and held instead of its samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

namespace velk {

// The least and the greatest recorded value of one channel over a block of
// samples. A block in which the channel holds no value at all (a gap of the
// record) has min > max: Empty().
struct MinMax {
  float min = std::numeric_limits<float>::infinity();
  float max = -std::numeric_limits<float>::infinity();
  bool Empty() const { return min > max; }
  // Takes in one recorded value; a missing one (NaN) changes nothing.
  void Add(double value) {
    if (value != value) return;
    const auto v = static_cast<float>(value);
    if (v < min) min = v;
    if (v > max) max = v;
  }
  void Add(MinMax other) {
    if (other.min < min) min = other.min;
    if (other.max > max) max = other.max;
  }
};

// Min/max of every channel over blocks of samples at several resolutions:
// level 0 has blocks of base_block() samples, each further level blocks
// kFanOut times as long, up to the level of one block. The last block of a
// level may be shorter.
class SampleSummary {
 public:
  // Level 0's blocks: kBaseBlock samples, or longer for a record of so many
  // values that level 0 would hold more than kMaxBasePairs min/max pairs.
  static constexpr std::int64_t kBaseBlock = 32;
  static constexpr std::int64_t kFanOut = 4;
  static constexpr std::int64_t kMaxBasePairs = std::int64_t{1} << 20;

  // words16: every value the summary takes is a 16-bit word, and it holds
  // them as such, in half the room.
  explicit SampleSummary(int channels = 0, std::int64_t base_block = kBaseBlock,
                         bool words16 = false)
      : channels_(channels), base_block_(base_block), words16_(words16) {}
  // The shortest block of a power of two samples, kBaseBlock at least, that
  // keeps level 0 of a record of so many samples within max_pairs min/max
  // pairs: with kMaxBasePairs the summary of a record of any length and
  // width holds at most some 11 MiB. Where a pixel column takes fewer samples
  // than a block, a redraw takes them from the record itself.
  static std::int64_t BaseBlockFor(std::int64_t samples, int channels,
                                   std::int64_t max_pairs = kMaxBasePairs);
  // Makes room for a record of this many samples at once.
  void Reserve(std::int64_t samples);
  // Adds the next block of level 0 (base_block() samples, fewer for the
  // last): the min/max of each channel over it.
  void AddBlock(std::span<const MinMax> channels, std::int64_t samples);
  // Builds the coarser levels once every sample is added.
  void Finish();

  int channels() const { return channels_; }
  std::int64_t samples() const { return samples_; }
  int levels() const { return static_cast<int>(words16_ ? word_levels_.size() : levels_.size()); }
  std::int64_t base_block() const { return base_block_; }
  // Samples in one block of level.
  std::int64_t BlockSamples(int level) const;
  // Blocks of level.
  std::int64_t Blocks(int level) const;
  // Min/max of channel over block of level.
  MinMax At(int level, std::int64_t block, int channel) const {
    const auto i = static_cast<std::size_t>(block * channels_ + channel);
    if (!words16_) return levels_[static_cast<std::size_t>(level)][i];
    const WordPair pair = word_levels_[static_cast<std::size_t>(level)][i];
    if (pair.min > pair.max) return {};
    return {static_cast<float>(pair.min), static_cast<float>(pair.max)};
  }
  // Bytes the summary holds.
  std::size_t Bytes() const;

 private:
  // A block without a value has min > max.
  struct WordPair {
    std::int16_t min = std::numeric_limits<std::int16_t>::max();
    std::int16_t max = std::numeric_limits<std::int16_t>::min();
  };

  int channels_ = 0;
  std::int64_t base_block_ = kBaseBlock;
  bool words16_ = false;
  std::int64_t samples_ = 0;
  // Level, then block * channels + channel: one of the two, as words16_ says.
  std::vector<std::vector<MinMax>> levels_;
  std::vector<std::vector<WordPair>> word_levels_;

  template <typename Pair>
  static void Coarsen(std::vector<std::vector<Pair>>& levels, std::size_t width);
};

// The min/max of each channel over each block of the summary's base_block()
// samples of `values` (sample after sample, `channels` values each), added
// to summary.
void AddSamples(SampleSummary& summary, std::span<const double> values, int channels);

}  // namespace velk
