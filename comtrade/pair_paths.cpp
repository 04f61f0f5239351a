#include "comtrade/pair_paths.h"

namespace velk {

namespace {

std::string BaseOf(const std::string& chosen_cfg) {
  return chosen_cfg.substr(0, chosen_cfg.size() < 4 ? 0 : chosen_cfg.size() - 4);
}

}  // namespace

PairPaths PairPathsFor(const std::string& chosen_cfg) {
  const std::string base = BaseOf(chosen_cfg);
  return {chosen_cfg, base + ".dat", base + "ASCII.cfg", base + "ASCII.dat"};
}

CffPaths CffPathsFor(const std::string& chosen_cfg) {
  const std::string base = BaseOf(chosen_cfg);
  return {base + ".cff", base + "ASCII.cff"};
}

std::vector<std::string> PairFilesFor(const std::string& chosen_cfg, bool one_file) {
  if (!one_file) return PairPathsFor(chosen_cfg).Files();
  const CffPaths cff = CffPathsFor(chosen_cfg);
  return {cff.binary, cff.ascii};
}

}  // namespace velk
