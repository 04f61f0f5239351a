// The four files of a COMTRADE pair written beside the chosen .cfg path.
#pragma once

#include <string>
#include <vector>

namespace velk {

struct PairPaths {
  std::string binary_cfg;  // the chosen path itself
  std::string binary_dat;
  std::string ascii_cfg;
  std::string ascii_dat;

  // The four files in the order the analog conversion writes them.
  std::vector<std::string> Files() const { return {binary_cfg, binary_dat, ascii_cfg, ascii_dat}; }
};

// The base of every name is the chosen path less its last four characters,
// whatever they are: D:\rec\a1.cfg gives a1.dat, a1ASCII.cfg and a1ASCII.dat,
// and rec.txt1 gives rec..dat, rec.ASCII.cfg and rec.ASCII.dat.
PairPaths PairPathsFor(const std::string& chosen_cfg);

// The two files of a pair written one file each, with the same base:
// D:\rec\a1.cfg gives a1.cff and a1ASCII.cff.
struct CffPaths {
  std::string binary;
  std::string ascii;
};
CffPaths CffPathsFor(const std::string& chosen_cfg);

// The files a pair at chosen_cfg consists of: its four, or its two .cff files.
std::vector<std::string> PairFilesFor(const std::string& chosen_cfg, bool one_file);

}  // namespace velk
