#include "comtrade/cff_pack.h"

#include <array>

#include "comtrade/ascii_pair.h"
#include "comtrade/file_io.h"
#include "comtrade/file_system.h"
#include "comtrade/number_format.h"
#include "comtrade/same_file.h"

namespace velk {
namespace {

// Copies the rest of from onto out in pieces of a fixed size. Returns the bytes copied.
std::int64_t CopyRest(InFile& from, OutFile& out) {
  std::array<char, 1 << 16> piece{};
  std::int64_t copied = 0;
  while (out.ok()) {
    const std::size_t got = from.Read(piece.data(), piece.size());
    if (got == 0) break;
    out.Write(piece.data(), got);
    copied += static_cast<std::int64_t>(got);
  }
  return copied;
}

// Writes one .cff from a configuration file and a data file.
bool PackOne(Reporter& reporter, const std::string& cfg_path, const std::string& dat_path,
             bool binary, const std::string& cff_path) {
  InFile cfg, dat;
  if (!OpenOrReport(reporter, cfg, cfg_path) || !OpenOrReport(reporter, dat, dat_path))
    return false;
  OutFile cff;
  if (!CreateOrReport(reporter, cff, cff_path)) return false;
  const std::int64_t size = dat.Size();
  cff.Line("--- file type: CFG ---");
  CopyRest(cfg, cff);
  cff.Line("--- file type: INF ---");
  cff.Line("--- file type: HDR ---");
  cff.Line(binary ? "--- file type: DAT BINARY: " + Decimal(size) + " ---"
                  : std::string("--- file type: DAT ASCII ---"));
  if (CopyRest(dat, cff) != size || cfg.failed() || dat.failed()) {
    cff.Abandon();
    reporter.Report({Failure::kOpenError, dat_path});
    return false;
  }
  return FinishWritten(reporter, cff);
}

}  // namespace

std::string WorkCfgFor(const std::string& chosen_cfg) {
  const std::string base = chosen_cfg.substr(0, chosen_cfg.size() < 4 ? 0 : chosen_cfg.size() - 4);
  return base + ".part.cfg";
}

bool PackAsCff(Reporter& reporter, const PairPaths& work, const CffPaths& out) {
  return PackOne(reporter, work.binary_cfg, work.binary_dat, true, out.binary) &&
         PackOne(reporter, work.ascii_cfg, work.ascii_dat, false, out.ascii);
}

Outcome ConvertInForm(const OutputForm& form, const std::string& chosen_cfg,
                      const std::vector<std::string>& records, Reporter& next,
                      const std::function<Outcome(const std::string& out_cfg)>& convert) {
  if (!form.one_file) return convert(chosen_cfg);
  FirstReport reporter(next);
  if (WritesOverRecord(PairFilesFor(chosen_cfg, true), records)) {
    reporter.Report({Failure::kOpenError, chosen_cfg});
    return reporter.first();
  }
  const PairPaths work = PairPathsFor(WorkCfgFor(chosen_cfg));
  const Outcome converted = convert(work.binary_cfg);
  if (converted.ok()) PackAsCff(reporter, work, CffPathsFor(chosen_cfg));
  for (const std::string& file : work.Files()) Files().RemoveFile(file);
  return converted.ok() ? reporter.first() : converted;
}

}  // namespace velk
