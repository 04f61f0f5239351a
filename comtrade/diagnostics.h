// What a COMTRADE reader finds wrong with a record, told to whoever reads it.
//
// The reader never prints: every departure from the standard it meets, and
// every kind of damage, goes to a DiagnosticSink the caller passes in, as one
// Diagnostic with a stable code for scripts (such as "rev-year" or
// "dat-shorter") and a Russian text for people. `velk-convert check` prints
// them, tests collect them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// How much a finding matters. An error means the record, or the rest of it,
// cannot be read; a warning that it reads but departs from the standard; a
// note says what the reader did of something the standard allows.
enum class Severity { kError, kWarning, kNote };

struct Diagnostic {
  Severity severity = Severity::kNote;
  std::string code;       // stable, such as "count-line"
  std::string file;       // the path of the file concerned
  std::int64_t line = 0;  // counted from 1; 0 when the finding concerns no line
  int field = 0;          // counted from 1; 0 when it concerns a whole line or file
  std::string text;       // Russian, UTF-8: the code's text and any detail
};

class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  virtual void Report(const Diagnostic& diagnostic) = 0;
};

// Keeps every diagnostic, in order.
class DiagnosticList : public DiagnosticSink {
 public:
  void Report(const Diagnostic& diagnostic) override { all.push_back(diagnostic); }
  // True iff a diagnostic of that code was reported.
  bool Has(std::string_view code) const;
  std::vector<Diagnostic> all;
};

// Every diagnostic code the reader reports, with its severity and Russian text.
struct DiagnosticKind {
  std::string_view code;
  Severity severity;
  std::string_view text;  // UTF-8
};
const std::vector<DiagnosticKind>& DiagnosticKinds();

// The kind of a code; the kind of "internal" for a code that is no kind.
const DiagnosticKind& KindOf(std::string_view code);

// "error", "warning" or "note".
std::string_view SeverityName(Severity severity);

}  // namespace velk
