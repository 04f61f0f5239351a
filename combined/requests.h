// The three conversions as a front end asks for them. Each request takes the
// records, the output path and what only its caller knows (today's year, the
// state file's place); runs
// the records' header checks and, for two records, the start-moment rule
// (StartsAgree); then converts. Its one outcome tells the caller all it shows:
// the window its error boxes, velk-convert its exit status and text, the batch
// its summary.
#pragma once

#include <optional>
#include <string>

#include "analog/analog_record.h"
#include "combined/combined.h"
#include "comtrade/output_form.h"
#include "comtrade/report.h"
#include "comtrade/start_moment.h"

namespace velk {

enum class RequestResult {
  kConverted,     // the pair is written
  kRejected,      // a header check rejected a record; nothing was converted
  kStartsDiffer,  // the two records of a combined request start at different moments
  kFailed,        // the conversion failed; its reports went to the reporter
};

struct RequestOutcome {
  RequestResult result = RequestResult::kFailed;
  // kRejected: the check's failure, whose MessageText is the window's label
  // ("Не найден", "Поврежден", "Поврежден7"); kFailed: the conversion's first
  // report; otherwise success.
  Outcome outcome;
  // The analog record's header as the conversion read it, when it did.
  std::optional<AnalogHeader> analog;
  // The start moment as the readers left it, when the conversion got as far as
  // reading the discrete record: what the pair's time lines bear.
  std::optional<StartMoment> moment;
  // A discrete pair whose record's start pair gave no time of day: the pair
  // starts at 00:00:00 of its day (LegalStart), which its caller tells.
  bool start_lacks_time = false;
};

// Whether a request checks its records before converting them.
enum class Checks {
  kRun,  // the header checks and the start-moment rule, as velk-convert and the batch do
  // none: the caller's own checks passed when its button was enabled, and the
  // conversion reports what it meets since, as the window does
  kPassedBefore,
};

struct AnalogRequest {
  std::string record;
  std::string out_cfg;
  Checks checks = Checks::kRun;
};

struct DiscreteRequest {
  std::string record;
  std::string out_cfg;
  int year = 0;  // today's: the record names no year, its pair bears this one
  Checks checks = Checks::kRun;
};

struct CombinedRequest {
  std::string analog_record;
  std::string discrete_record;
  std::string out_cfg;
  StateFileSource state_file;  // asked once, only when the records are read
  Checks checks = Checks::kRun;
};

// Each converts into the pair whose BINARY configuration file is out_cfg, or,
// for a one-file form, into the two .cff files of its base (cff_pack.h).
// A check's rejection and differing moments report nothing; the conversion's
// failures go to reporter as they happen.
// form gives the revision, the encoding and the files of the pair.
RequestOutcome ConvertAnalogRequest(const AnalogRequest& request, Reporter& reporter,
                                    const OutputForm& form = {});
RequestOutcome ConvertDiscreteRequest(const DiscreteRequest& request, Reporter& reporter,
                                      const OutputForm& form = {});
RequestOutcome ConvertCombinedRequest(const CombinedRequest& request, Reporter& reporter,
                                      const OutputForm& form = {});

}  // namespace velk
