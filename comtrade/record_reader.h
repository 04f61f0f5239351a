// Reads a COMTRADE record of any revision, as other recorders write them:
// 1991, 1999 and 2013 configuration files (and the years real devices put in
// their place), a .cfg with its .dat (extensions in any letter case) or one
// .cff, and ASCII, BINARY, BINARY32 and FLOAT32 data.
//
// The configuration is read whole at Open: it is small, but every line is
// still held to kLongestCfgLine bytes and the channels to kMaxChannels. The
// samples then come one at a time from Next, through the block buffer of
// InFile, so a data file of any size reads in the same memory. Whatever
// departs from the standard, or is damaged, goes to the DiagnosticSink; the
// reader reads on wherever the rest still makes sense.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comtrade/configuration.h"
#include "comtrade/diagnostics.h"

namespace velk {

inline constexpr std::size_t kLongestCfgLine = 16 * 1024;
inline constexpr std::size_t kLongestDataField = 64;
inline constexpr std::int64_t kMaxChannels = 65535;
inline constexpr std::int64_t kMaxRates = 65535;
// Of the findings of one code, such as one on every channel line, the first
// few are told.
inline constexpr int kMaxReportsOfACode = 5;

// One sample of the data file.
struct Sample {
  std::int64_t number = 0;  // as the file numbers it
  // Microseconds from the start moment: from the sample rate of its segment,
  // or from its time stamp times the time multiplier where the record has no
  // rate. Nothing when neither tells.
  std::optional<double> time_us;
  // The sample's own time stamp times the time multiplier, in microseconds,
  // whether or not the time above comes from it; nothing where it has none.
  std::optional<double> stamp_us;
  std::vector<double> analog;         // the values x as stored, before a·x + b
  std::vector<bool> analog_missing;   // true where the file marks the value missing
  bool any_missing = false;           // some value of analog_missing is true
  std::vector<std::uint8_t> digital;  // 0 or 1
};

struct ReadOptions {
  std::optional<TextEncoding> encoding;  // the names' encoding, when the user knows it
  // False for a reader that finds missing values in NextRun's words itself:
  // the samples NextRun and CheckRest pass are then not looked at for them,
  // and no value-missing note comes of those (Next still marks each value).
  bool note_missing_in_runs = true;
};

// What the reader found the record to be, beyond its configuration.
struct RecordForm {
  bool cff = false;
  std::string cfg_path;           // the .cfg or the .cff
  std::string dat_path;           // the .dat, or the .cff
  bool encoding_detected = true;  // false when ReadOptions named it
  bool ascii_names = true;        // every name of ASCII alone
};

class RecordReader {
 public:
  explicit RecordReader(DiagnosticSink& sink);
  ~RecordReader();
  RecordReader(const RecordReader&) = delete;
  RecordReader& operator=(const RecordReader&) = delete;

  // Reads the configuration of the record at path (a .cfg or a .cff) and
  // opens its data. Returns false, having reported an error, when the record
  // cannot be read.
  bool Open(const std::string& path, const ReadOptions& options = {});

  const Configuration& configuration() const;
  const RecordForm& form() const;
  // The number of samples the configuration announces (the last endsamp).
  std::int64_t announced_samples() const;

  // Reads the next sample. Returns false at the end of the data, or when the
  // rest cannot be read; the last call reports how the data ended (shorter or
  // longer than announced, padding, a cut sample).
  bool Next(Sample& sample);
  std::int64_t samples_read() const;
  // The whole binary samples that lie next in the read buffer, checked and
  // reported as Next would read them: bytes points at the first as the file
  // holds it (each a record of 8 + values + status words bytes), until the
  // next call; times_us gets the time of each (NaN where it has none), or,
  // when it is null and the record is timed_by_rates(), nothing: RateTimeUs
  // tells any sample's time. Returns how many; 0 for ASCII data, at the end,
  // and where Next must read the next sample (one across the buffer's end, or
  // padding).
  std::size_t NextRun(const unsigned char*& bytes, std::vector<double>* times_us);
  // True when every rate segment has a rate: each sample's time is its count's.
  bool timed_by_rates() const;
  // The time Next gives the count-th sample (counted from 1) of a record
  // timed_by_rates(), in microseconds.
  double RateTimeUs(std::int64_t count) const;
  // Reads every sample left as Next would, and reports the same findings,
  // without handing the samples out: what a check of the whole record needs,
  // in about the time of reading its files. first_us and last_us get the
  // times of the first and the last of these samples that have a time.
  void CheckRest(std::optional<double>& first_us, std::optional<double>& last_us);
  // Where the next sample starts in the data file, and the lines of an ASCII
  // data file read before it: what Resume takes to come back to that sample.
  std::int64_t data_position() const;
  std::int64_t data_line() const;
  // Goes back (or on) to a sample whose place data_position and data_line
  // told after `samples_before` samples were read, so that a part of a long
  // record is read again without the samples before it. Times from the rates
  // come out as in one pass; the checks of order between samples restart.
  bool Resume(std::int64_t position, std::int64_t line, std::int64_t samples_before);
  // True iff an error was reported since Open.
  bool failed() const;

  // A text field of the configuration as UTF-8.
  std::string Utf8(std::string_view field) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The value a reader shows of a stored value x of a channel: a·x + b, on the
// side the file says (its P/S field), or turned to primary values when
// primary is true (times primary/secondary when the file holds secondary).
double ChannelValue(const AnalogChannelInfo& channel, double x, bool primary);

// The unit a channel's values carry on one side of its transformer, and the
// factor that takes a·x + b there. On the side the file gives they are a·x + b
// in the file's unit. Taken to the other side they are times the ratio
// primary/secondary (over it, to the secondary side; a ratio that is no
// positive number counts as 1), in that side's unit: voltages in kV on the
// primary side and in V on the secondary, currents in A on both, whatever the
// file's prefix ("mA", "mV", "kA"). A unit of another quantity keeps its name.
struct SideUnit {
  std::string unit;
  double factor = 1.0;
};
SideUnit UnitOnSide(std::string_view unit, bool file_primary, double ratio, bool primary);
// The same for a channel line: its P/S field "P" (in either case) is the
// primary side, anything else the secondary.
SideUnit ChannelOnSide(const AnalogChannelInfo& channel, bool primary);
// What one of a unit of volts or amperes is worth in volts or amperes ("kV":
// 1000, "mA": 0.001); 1 for any other unit.
double UnitWorth(std::string_view unit);

// A record read whole, for tests and small records: nothing when it cannot be
// read.
struct WholeRecord {
  Configuration configuration;
  std::vector<Sample> samples;
};
std::optional<WholeRecord> ReadRecord(const std::string& cfg_path, DiagnosticSink& sink,
                                      const ReadOptions& options = {});

}  // namespace velk
