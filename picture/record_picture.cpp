// Opening the picture of a record: its source, then its summary and peaks.
#include "picture/record_picture.h"

#include <algorithm>
#include <cmath>

namespace velk {

bool RecordPicture::Summarize(std::int64_t max_base_pairs) {
  const auto channels = static_cast<int>(layout().channels.size());
  summary_ = SampleSummary(channels,
                           SampleSummary::BaseBlockFor(layout().samples, channels, max_base_pairs),
                           layout().words16);
  if ((layout().samples > 0 || !records_.analog.empty()) && !source_->Summarize(summary_))
    return false;
  peaks_.assign(static_cast<std::size_t>(channels), 0);
  const int top = summary_.levels() - 1;
  for (std::int64_t b = 0; b < summary_.Blocks(top); ++b)
    for (int c = 0; c < channels; ++c) {
      const MinMax m = summary_.At(top, b, c);
      if (m.Empty()) continue;
      double& peak = peaks_[static_cast<std::size_t>(c)];
      peak = std::max({peak, std::abs(double{m.min}), std::abs(double{m.max})});
    }
  for (int c = 0; c < channels; ++c) {
    double& peak = peaks_[static_cast<std::size_t>(c)];
    peak = std::min(peak, layout().channels[static_cast<std::size_t>(c)].largest);
  }
  return true;
}

PictureOpening RecordPicture::Open(const PictureRecords& records, std::int64_t max_base_pairs) {
  VelkOpening opening = VelkSource::Open(records);
  if (!opening.source) return {opening.outcome, opening.starts_differ, nullptr};
  std::unique_ptr<RecordPicture> picture(new RecordPicture(std::move(opening.source)));
  picture->records_ = records;
  if (!picture->Summarize(max_base_pairs))
    return {Outcome{Failure::kDamaged, records.analog}, false, nullptr};
  return {{}, false, std::move(picture)};
}

std::unique_ptr<RecordPicture> RecordPicture::OfSource(std::unique_ptr<RecordSource> source) {
  if (!source) return nullptr;
  std::unique_ptr<RecordPicture> picture(new RecordPicture(std::move(source)));
  if (!picture->Summarize()) return nullptr;
  return picture;
}

double RecordPicture::Peak(int channel) const {
  return peaks_.at(static_cast<std::size_t>(channel));
}

}  // namespace velk
