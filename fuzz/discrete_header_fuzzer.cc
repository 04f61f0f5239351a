// Fuzz target: the header check and the event reader of a discrete record
// (.txt) on arbitrary bytes. What the check accepts the reader reads, and the
// discrete tables it fills refer only to their own entries.
#include "discrete/discrete_record.h"
#include "fuzz/fuzz_support.h"

using namespace velk;

namespace {

void CheckTables(const DiscreteTables& tables) {
  if (tables.events.empty() || tables.names.empty()) fuzz::Fail("no start event or channel");
  const auto names = static_cast<std::int64_t>(tables.names.size());
  const auto times = static_cast<std::int64_t>(tables.times.size());
  for (const DiscreteEvent& event : tables.events)
    if (event.time_index < 0 || event.time_index >= times || event.channel < 0 ||
        event.channel >= names)
      fuzz::Fail("an event refers to no time or no channel");
  for (std::int32_t channel : tables.initially_active)
    if (channel < 1 || channel >= names) fuzz::Fail("an initially active channel that is none");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Harness h;
  const std::string path =
      h.Put("rec.txt", std::string_view(reinterpret_cast<const char*>(data), size));
  const DiscreteCheck check = CheckDiscreteRecord(path);
  const bool accepted = check.outcome.ok();
  if (!accepted && check.outcome.failure != Failure::kDamagedAtLine)
    fuzz::Fail("a rejected record is not shown damaged");

  const DiscreteRecord record = ReadDiscreteRecord(path, h.ui);
  if (record.outcome.ok()) {
    CheckTables(record.tables);
  } else if (accepted) {
    fuzz::Fail("the reader refuses what the check accepted");
  }
  return 0;
}
