// Faults that fuzzing found, each kept as a test of the behaviour that mends it.
// The inputs themselves stay in fuzz/regressions/ and replay in FuzzReplay.*.
#include <gtest/gtest.h>

#include "combined/combined.h"
#include "discrete/discrete_record.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;

// The start pair gives day, month and time of day as the device wrote them; a
// comma or a control character there split the time lines of the configuration
// file (found by discrete_convert and combined_convert: a zero byte in the hour).
TEST(FuzzFindings, StartMomentTextCannotSplitTheTimeLines) {
  const std::string record =
      DiscreteRecord().Pair("1, 02 1\x01:3\x1f:45", "Пуск").Event("0000.010", "П", "A").Bytes();

  FormFixture discrete;
  StartMoment moment;
  moment.year = "2026";
  ConvertDiscrete(discrete.Put("rec.txt", record), discrete.dir / "out.cfg", moment,
                  discrete.reports);
  EXPECT_EQ(discrete.reports.errors, Lines{});
  const Lines cfg = CrLfLines(ReadFile(discrete.dir / "out.cfg"));
  ASSERT_EQ(cfg.size(), 11u);
  EXPECT_EQ(cfg[7], "1 /02/2026,1 :3 :45.000000");
  EXPECT_EQ(cfg[8], "1 /02/2026,1 :3 :45.000000");

  FormFixture combined;
  FlhRecord analog;
  ConvertCombined(combined.Put("rec.flh", analog.Ramp(80).Bytes()), combined.Put("rec.txt", record),
                  combined.dir / "out.cfg", combined.dir / "tmp.tmp", combined.reports);
  EXPECT_EQ(combined.reports.errors, Lines{});
  const Lines both = CrLfLines(ReadFile(combined.dir / "out.cfg"));
  ASSERT_EQ(both.size(), 19u);  // 8 analog and 2 digital channels
  EXPECT_EQ(both[15], "1 /02/2024,1 :3 :45.000000");
  EXPECT_EQ(both[16], "1 /02/2024,1 :3 :45.100000");
}

}  // namespace
}  // namespace velk::testing
