// Re-reading samples block by block against the summary.
#include "picture/checked_samples.h"

#include <algorithm>

namespace velk {

bool CheckedSamples::Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const {
  out.clear();
  if (changed_) return false;
  const std::int64_t total = summary_.samples();
  first = std::clamp<std::int64_t>(first, 0, total);
  count = std::clamp<std::int64_t>(count, 0, total - first);
  // Whole blocks of the summary's finest level are read, so that each can be
  // compared with what the summary holds of it.
  const std::int64_t block = SampleSummary::kBaseBlock;
  const std::int64_t begin = first / block * block;
  const std::int64_t end = std::min(total, (first + count + block - 1) / block * block);
  const auto channels = static_cast<std::size_t>(summary_.channels());
  // Read into out itself, and the samples before first dropped after the
  // check: a span of many channels is not copied again.
  std::vector<double>& read = out;
  bool same = source_.Read(begin, end - begin, read) &&
              read.size() == static_cast<std::size_t>(end - begin) * channels;
  std::vector<MinMax> seen(channels);
  for (std::int64_t b = begin; same && b < end; b += block) {
    std::fill(seen.begin(), seen.end(), MinMax{});
    const std::int64_t block_end = std::min(end, b + block);
    for (std::int64_t n = b; n < block_end; ++n)
      for (std::size_t c = 0; c < channels; ++c)
        seen[c].Add(read[static_cast<std::size_t>(n - begin) * channels + c]);
    for (std::size_t c = 0; c < channels; ++c) {
      const MinMax held = summary_.At(0, b / block, static_cast<int>(c));
      same = same && ((held.Empty() && seen[c].Empty()) ||
                      (held.min == seen[c].min && held.max == seen[c].max));
    }
  }
  if (!same) {
    out.clear();
    changed_ = true;
    return false;
  }
  const auto skip = static_cast<std::size_t>(first - begin) * channels;
  out.resize(skip + static_cast<std::size_t>(count) * channels);
  out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(skip));
  return true;
}

}  // namespace velk
