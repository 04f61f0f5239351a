// Re-reading samples block by block against the summary.
#include "picture/checked_samples.h"

#include <algorithm>
#include <iterator>

namespace velk {

bool CheckedSamples::Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const {
  out.clear();
  if (changed_) return false;
  const std::int64_t total = summary_.samples();
  first = std::clamp<std::int64_t>(first, 0, total);
  count = std::clamp<std::int64_t>(count, 0, total - first);
  // Whole blocks of the summary's finest level are read, so that each can be
  // compared with what the summary holds of it.
  const std::int64_t block = summary_.base_block();
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

bool CheckedSamples::SpanMinMax(std::span<const std::int64_t> bounds,
                                std::vector<MinMax>& out) const {
  out.clear();
  if (changed_) return false;
  const std::int64_t total = summary_.samples();
  const auto channels = static_cast<std::size_t>(summary_.channels());
  std::vector<std::int64_t> spans(bounds.begin(), bounds.end());
  // Cut to the record; a bound below the one before is taken as that one.
  std::int64_t least = 0;
  for (std::int64_t& bound : spans) least = bound = std::clamp<std::int64_t>(bound, least, total);
  if (spans.size() < 2 || spans.front() >= spans.back()) {
    out.assign(spans.size() < 2 ? 0 : (spans.size() - 1) * channels, MinMax{});
    return true;
  }
  // The spans are cut further at the edges of the summary's finest blocks,
  // over whole blocks: each block read is then compared with what the
  // summary holds of it, and each span gathers its pieces.
  const std::int64_t block = summary_.base_block();
  const std::int64_t begin = spans.front() / block * block;
  const std::int64_t end = std::min(total, (spans.back() + block - 1) / block * block);
  std::vector<std::int64_t> edges;
  for (std::int64_t b = begin; b < end; b += block) edges.push_back(b);
  edges.push_back(end);
  std::vector<std::int64_t> pieces;
  std::merge(edges.begin(), edges.end(), spans.begin(), spans.end(), std::back_inserter(pieces));
  pieces.erase(std::unique(pieces.begin(), pieces.end()), pieces.end());
  std::vector<MinMax> piece;
  bool same = source_.SpanMinMax(pieces, piece) && piece.size() == (pieces.size() - 1) * channels;
  // Each block, from the pieces that make it up.
  std::vector<MinMax> seen(channels);
  std::size_t p = 0;
  for (std::int64_t b = begin; same && b < end; b += block) {
    std::fill(seen.begin(), seen.end(), MinMax{});
    for (; p + 1 < pieces.size() && pieces[p + 1] <= std::min(end, b + block); ++p)
      for (std::size_t c = 0; c < channels; ++c) seen[c].Add(piece[p * channels + c]);
    for (std::size_t c = 0; c < channels; ++c) {
      const MinMax held = summary_.At(0, b / block, static_cast<int>(c));
      same = same && ((held.Empty() && seen[c].Empty()) ||
                      (held.min == seen[c].min && held.max == seen[c].max));
    }
  }
  if (!same) {
    changed_ = true;
    return false;
  }
  // Each span, from its pieces.
  out.assign((spans.size() - 1) * channels, MinMax{});
  p = static_cast<std::size_t>(std::lower_bound(pieces.begin(), pieces.end(), spans.front()) -
                               pieces.begin());
  for (std::size_t s = 0; s + 1 < spans.size(); ++s)
    for (; p + 1 < pieces.size() && pieces[p + 1] <= spans[s + 1]; ++p)
      for (std::size_t c = 0; c < channels; ++c) out[s * channels + c].Add(piece[p * channels + c]);
  return true;
}

}  // namespace velk
