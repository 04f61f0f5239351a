// Reading a record's samples again, after its summary was built: each block
// read is compared with what the summary holds of it, so that a record
// rewritten since it was opened is found out instead of drawn.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "picture/record_source.h"
#include "picture/sample_summary.h"

namespace velk {

class CheckedSamples {
 public:
  CheckedSamples(const RecordSource& source, const SampleSummary& summary)
      : source_(source), summary_(summary) {}

  // Recorded values of samples [first, first + count), sample after sample,
  // every channel of each (NaN where the record holds none); the range is cut
  // to the record. False, leaving out empty, when the record no longer holds
  // what the summary was built from (deleted, cut, rewritten); from then on
  // every read is false.
  bool Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const;
  // The min/max of every channel over each span [bounds[i], bounds[i + 1])
  // of samples, as RecordSource::SpanMinMax gives them (the bounds cut to the
  // record); false, leaving out empty, as Read is.
  bool SpanMinMax(std::span<const std::int64_t> bounds, std::vector<MinMax>& out) const;
  // False once a read found the record changed.
  bool unchanged() const { return !changed_; }
  // What a look at the record's files found: it is no longer what was read.
  void MarkChanged() const { changed_ = true; }

 private:
  const RecordSource& source_;
  const SampleSummary& summary_;
  mutable bool changed_ = false;
};

}  // namespace velk
