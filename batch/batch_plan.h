// The decisions of a batch conversion that need no file system: which analog
// and discrete records are combined, what each output pair is called, and what
// the output folder's list of pairs says about earlier runs.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "comtrade/start_moment.h"

namespace velk::batch {

// ---- pairing ----

// Records that start at one moment but cannot be paired one to one: the
// analog and the discrete records of that moment (indices into the lists given
// to PairByStart). Every record in it has two or more candidates, or shares
// its only candidate with another record.
struct CandidateGroup {
  // The moment for a person, "13.02 16:33:45"; a field the records do not all
  // name alike shows "??", as when a start pair names day and month alone.
  std::string start;
  std::vector<std::size_t> analog;
  std::vector<std::size_t> discrete;
};

struct Pairing {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;  // (analog, discrete), by analog
  std::vector<CandidateGroup> ambiguous;                   // by start moment
  // Records that agree with no record of the other kind.
  std::vector<std::size_t> analog_alone, discrete_alone;
};

// Pairs analog records (their whole start moments) with discrete records (the
// fields their start pairs give) by the rule of velk-convert combined
// (StartsAgree): the year never counts, and a start pair that names fewer
// fields agrees with every analog record of the fields it names. Records that
// agree, directly or through other records, form a group: a group of one
// analog and one discrete record is a pair, a larger one an ambiguity, never a
// guess.
Pairing PairByStart(const std::vector<StartMoment>& analog,
                    const std::vector<StartMoment>& discrete);

// ---- the list of pairs in the output folder ----

// What the list says of one output pair: which records (full paths) it is made
// of, and, once their conversion succeeded, the records' stamps then (size and
// time of last change). A pair claimed but never finished has done false.
struct PairEntry {
  std::vector<std::string> records;
  bool done = false;
  std::string stamp;
  friend bool operator==(const PairEntry&, const PairEntry&) = default;
};

// Output folder ("comtrade_anl") and base name ("rec") of a pair.
using PairKey = std::pair<std::string, std::string>;
using PairList = std::map<PairKey, PairEntry>;

// The name of the list in the output folder.
inline constexpr std::string_view kPairListName = "velk-batch.lst";

// The lines that claim a pair before its conversion and mark it done after.
std::string ClaimLine(const PairKey& key, const std::vector<std::string>& records);
std::string DoneLine(const PairKey& key, const std::vector<std::string>& records,
                     const std::string& stamp);
// The whole list, one done or claim line per pair, with its first line.
std::string PairListText(const PairList& list);
// Reads a list; later lines about a pair replace earlier ones, and lines it
// does not understand are passed over.
PairList ParsePairList(std::string_view text);

// ---- output names ----

// The four files of the pair called name, as every conversion names them
// beside its chosen .cfg (PairPathsFor): name.cfg, name.dat, nameASCII.cfg and
// nameASCII.dat; when one_file, its two: name.cff and nameASCII.cff.
std::vector<std::string> PairFileNames(const std::string& name, bool one_file = false);

// What is at an output file's place.
enum class FileState {
  kMissing,
  kPlain,   // an ordinary file of its own
  kShared,  // a link, or a file with another name elsewhere: never written over
};

struct NameRequest {
  std::string folder;                // "comtrade_anl"
  std::string stem;                  // the record's name without its extension
  std::vector<std::string> records;  // full paths, as the list holds them
};

// Chooses a name for every request. A request whose records the list already
// holds under a name keeps that name while its files are missing or plain.
// Every other request takes, in order, the first of stem, stem_2, stem_3 ...
// that neither the list nor an earlier request holds (by the names of its four
// files, or its two when one_file, in any letter case, since some file systems fold case) and none
// of whose four files exists. So nothing is ever written over a file that this batch did not write
// for the same records. state(folder, file) tells what is at a file's place, a file of the same
// name in another letter case included.
std::vector<std::string> ChooseNames(
    const std::vector<NameRequest>& requests, const PairList& list,
    const std::function<FileState(const std::string&, const std::string&)>& state,
    bool one_file = false);

// text with the letters A-Z made small: names as a case-folding file system
// compares them.
std::string Folded(std::string text);

// ---- the report ----

// text as a JSON string, quotes included; text is UTF-8.
std::string JsonString(std::string_view text);

}  // namespace velk::batch
