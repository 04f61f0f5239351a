// The one writer of COMTRADE configuration files: a Configuration turned into
// the lines of its revision in a text encoding, and what our conversions put
// into the value after their channel lines.
#pragma once

#include <cstdint>
#include <string>

#include "comtrade/configuration.h"
#include "comtrade/output_form.h"
#include "comtrade/start_moment.h"

namespace velk {

class OutFile;

// How a pair's samples are timed, which decides its configuration tail.
enum class Timing {
  kSampled,     // 800 samples a second; the trigger 0.1 s after the first sample
  kEventTimes,  // no sample rate; time stamps in milliseconds; the trigger at the start
};

// Fills what follows the channel lines: line frequency, the rate with the
// sample count, start and trigger moments, file type BINARY and the time
// multiplier, all as revision 1999 in code page 1251 writes them.
void SetTail(Configuration& cfg, Timing timing, std::int64_t samples, const StartMoment& moment);

// Makes cfg a configuration of the form's revision in the form's encoding:
// the rev_year field, the fraction of the time lines (nine digits, to the
// nanosecond, in 2013), for 2013 the time codes of the device clock, and the
// text fields converted (see Encoded).
void ApplyForm(Configuration& cfg, const OutputForm& form);

// The configuration's text fields in the encoding to: converted from
// cfg.encoding (code page 1251 or UTF-8; a character the code page lacks
// becomes '?').
Configuration Encoded(const Configuration& cfg, TextEncoding to);

// Writes the lines of cfg as its revision has them, each ending in CR LF.
// A comma or a control character in a text field would split a field or a
// line: each is written as a space. The text fields are written as they are
// held (see Encoded).
void WriteConfiguration(OutFile& out, const Configuration& cfg);

// The same lines as one text.
std::string ConfigurationText(const Configuration& cfg);

// A number of a configuration line from its text, read the same under any
// locale; value 0 when the text is no number.
CfgNumber NumberOf(std::string text);

// One analog channel line of a revision: 13 fields, 10 in 1991.
std::string AnalogLine(const AnalogChannelInfo& channel, Revision revision);

// The rev_year text of a revision: "1991", "1999", "2013".
std::string RevisionText(Revision revision);
// The file type field: "ASCII", "BINARY", "BINARY32", "FLOAT32".
std::string FileTypeText(DataFileType type);

}  // namespace velk
