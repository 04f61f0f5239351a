#include "comtrade/pair_paths.h"

namespace velk {

PairPaths PairPathsFor(const std::string& chosen_cfg) {
  const std::string base = chosen_cfg.substr(0, chosen_cfg.size() < 4 ? 0 : chosen_cfg.size() - 4);
  return {chosen_cfg, base + ".dat", base + "ASCII.cfg", base + "ASCII.dat"};
}

}  // namespace velk
