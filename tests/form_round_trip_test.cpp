// Every pair our conversions write, in every form they write it, reads back
// with our own reader as the same record: the names, the channel values, the
// states, the samples and their times of the pair of the default form.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "analog/device_types.h"
#include "cli/check_command.h"
#include "combined/requests.h"
#include "comtrade/output_form.h"
#include "comtrade/record_reader.h"
#include "comtrade/text_encodings.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

// What a user of a reader sees of a record: every text as Unicode, every
// value as a·x + b, every state, and the time of each sample.
struct Seen {
  std::vector<std::string> names;  // station, device, units and channel ids
  std::int64_t start_ns = 0, trigger_ns = 0;
  std::string start_day;
  std::vector<double> values, times;
  std::vector<std::uint8_t> states;
};

// Reads the pair at path; every finding other than a note fails the test, but
// the one of a revision 2013 file whose names a user asked for in code page
// 1251, which the revision does not allow.
Seen ReadBack(const std::string& path, bool cp1251_in_2013 = false) {
  Seen seen;
  DiagnosticList found;
  const auto record = ReadRecord(path, found);
  for (const Diagnostic& d : found.all)
    if (d.severity != Severity::kNote && !(cp1251_in_2013 && d.code == "encoding-2013"))
      ADD_FAILURE() << path << ": " << d.code << " " << d.text;
  EXPECT_EQ(found.Has("encoding-2013"), cp1251_in_2013) << path;
  if (!record) {
    ADD_FAILURE() << path << " does not read";
    return seen;
  }
  const Configuration& cfg = record->configuration;
  const auto text = [&](const std::string& field) { return ToUtf8(field, cfg.encoding); };
  seen.names = {text(cfg.station), text(cfg.recording_device)};
  for (const AnalogChannelInfo& a : cfg.analog)
    for (const std::string* field : {&a.id, &a.phase, &a.circuit, &a.unit})
      seen.names.push_back(text(*field));
  for (const DigitalChannelInfo& d : cfg.digital)
    for (const std::string* field : {&d.id, &d.phase, &d.circuit})
      seen.names.push_back(text(*field));
  seen.start_ns = cfg.start.nanoseconds;
  seen.trigger_ns = cfg.trigger.nanoseconds;
  seen.start_day = std::to_string(cfg.start.year) + "-" + std::to_string(cfg.start.month) + "-" +
                   std::to_string(cfg.start.day) + " " + std::to_string(cfg.start.hour) + ":" +
                   std::to_string(cfg.start.minute) + " / " + std::to_string(cfg.trigger.minute);
  for (const Sample& s : record->samples) {
    seen.times.push_back(s.time_us.value_or(-1.0));
    for (std::size_t k = 0; k < s.analog.size() && k < cfg.analog.size(); ++k)
      seen.values.push_back(s.analog_missing[k] ? NAN
                                                : ChannelValue(cfg.analog[k], s.analog[k], false));
    seen.states.insert(seen.states.end(), s.digital.begin(), s.digital.end());
  }
  return seen;
}

// True iff every line of text ends with CR LF and holds no other CR or LF.
bool CrLfLinesOnly(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return text.ends_with("\r\n");
}

std::string Describe(const OutputForm& form) {
  return std::string(form.revision == Revision::k2013 ? "2013" : "1999") +
         (form.encoding == TextEncoding::kUtf8 ? " utf-8" : " cp1251") +
         (form.one_file ? " cff" : " cfg");
}

TEST(EveryFormWeWrite, ReadsBackAsTheSameRecordAndConforms) {
  TempDir dir;
  // The sources: an analog record of every device type (and of a code of
  // none), the discrete record of one of them, and the two combined.
  std::vector<int> codes;
  for (const DeviceType& type : DeviceTypes()) codes.push_back(type.code);
  codes.push_back(33);
  const std::string txt = dir / "events.txt";
  WriteFile(txt, DiscreteRecord()
                     .Pair("12 03 14:27:05", "Пуск")
                     .Event("0000.010", "П", "Отключение В1")
                     .Event("0000.030", "П", "Реле тока «А»")
                     .Event("0000.050", "У", "Отключение В1")
                     .Bytes());
  const auto flh = [&](int code) { return dir / ("type" + std::to_string(code) + ".flh"); };
  for (int code : codes) {
    FlhRecord analog;
    analog.device_type = static_cast<std::int8_t>(code);
    analog.Name("ПС Север").Factor(0, 1, 0x4000).Factor(4, 0, 0x6C00).Number(12, 1005);
    analog.moment_bcd = {0x24, 0x03, 0x12, 0x14, 0x27, 0x05};  // the discrete record's moment
    WriteFile(flh(code), analog.Ramp(90).Bytes());
  }

  struct Source {
    std::string name;
    std::function<RequestOutcome(const std::string& out, const OutputForm&, Reporter&)> convert;
  };
  std::vector<Source> sources;
  for (int code : codes)
    sources.push_back(
        {"type" + std::to_string(code),
         [&, code](const std::string& out, const OutputForm& form, Reporter& reporter) {
           return ConvertAnalogRequest({flh(code), out}, reporter, form);
         }});
  sources.push_back({"events", [&](const std::string& out, const OutputForm& form, Reporter& r) {
                       return ConvertDiscreteRequest({txt, out, 2024, {}}, r, form);
                     }});
  sources.push_back(
      {"both", [&](const std::string& out, const OutputForm& form, Reporter& r) {
         const std::string state = out + ".state";
         return ConvertCombinedRequest({flh(31), txt, out, [state] { return state; }}, r, form);
       }});

  std::vector<OutputForm> forms;
  for (Revision revision : {Revision::k1999, Revision::k2013})
    for (TextEncoding encoding : {TextEncoding::kCp1251, TextEncoding::kUtf8})
      for (bool one_file : {false, true}) {
        OutputForm form;
        form.revision = revision;
        form.encoding = encoding;
        form.one_file = one_file;
        if (revision == Revision::k2013) form.time_code = "-5h30";
        forms.push_back(form);
      }

  for (const Source& source : sources) {
    RecordingReporter reporter;
    const std::string base = dir / source.name;
    source.convert(base + ".cfg", {}, reporter);
    ASSERT_EQ(reporter.errors, std::vector<std::string>{}) << source.name;
    const Seen expected = ReadBack(base + ".cfg");
    ASSERT_FALSE(expected.times.empty()) << source.name;
    EXPECT_NE(expected.names[0].find(source.name == "events" ? "" : "ПС Север"), std::string::npos);

    for (std::size_t f = 0; f < forms.size(); ++f) {
      const OutputForm& form = forms[f];
      const std::string where = source.name + " in " + Describe(form);
      const std::string out = base + "_" + std::to_string(f);
      source.convert(out + ".cfg", form, reporter);
      ASSERT_EQ(reporter.errors, std::vector<std::string>{}) << where;
      const std::string ext = form.one_file ? ".cff" : ".cfg";
      for (const std::string& path : {out + ext, out + "ASCII" + ext}) {
        std::ostringstream said, err;
        const bool cp1251_in_2013 =
            form.revision == Revision::k2013 && form.encoding == TextEncoding::kCp1251;
        EXPECT_EQ(RunCheck({path}, said, err), cp1251_in_2013 ? 1 : 0) << where << "\n"
                                                                       << said.str() << err.str();
        const Seen seen = ReadBack(path, cp1251_in_2013);
        EXPECT_EQ(seen.names, expected.names) << where;
        EXPECT_EQ(seen.start_day, expected.start_day) << where;
        EXPECT_EQ(seen.start_ns, expected.start_ns) << where;
        EXPECT_EQ(seen.trigger_ns, expected.trigger_ns) << where;
        EXPECT_EQ(seen.times, expected.times) << where;
        EXPECT_EQ(seen.states, expected.states) << where;
        ASSERT_EQ(seen.values.size(), expected.values.size()) << where;
        for (std::size_t i = 0; i < seen.values.size(); ++i)
          ASSERT_NEAR(seen.values[i], expected.values[i], 1e-9 * std::fabs(expected.values[i]))
              << where << " value " << i;

        // A file of UTF-8 names holds nothing but UTF-8 text in its text,
        // each line ended by CR LF: all of an ASCII .cff, the sections of a
        // BINARY .cff before its data.
        if (form.encoding == TextEncoding::kUtf8) {
          std::string text = ReadFile(path);
          if (const auto data = text.find("--- file type: DAT BINARY"); data != std::string::npos)
            text.resize(text.find("\r\n", data) + 2);
          EXPECT_TRUE(IsUtf8(text)) << path;
          EXPECT_TRUE(CrLfLinesOnly(text)) << path;
        }
      }
    }
  }
}

}  // namespace
}  // namespace velk::testing
