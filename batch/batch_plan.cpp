#include "batch/batch_plan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <set>

#include "comtrade/ascii_case.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"

namespace velk::batch {
namespace {

constexpr std::string_view kListHeading = "velk-batch 1";
constexpr std::string_view kClaim = "claim";
constexpr std::string_view kDone = "done";

// Fields of a list line are separated by tabs; a tab, line end or backslash
// inside a field is written as a backslash sequence.
std::string Escaped(std::string_view field) {
  std::string out;
  for (char c : field) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out;
}

std::string Unescaped(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char c = field[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', from);
    fields.push_back(Unescaped(line.substr(from, tab - from)));
    if (tab == std::string_view::npos) return fields;
    from = tab + 1;
  }
}

std::string Line(std::string_view word, const PairKey& key, const std::string& stamp,
                 const std::vector<std::string>& records) {
  std::string line = std::string(word) + '\t' + Escaped(key.first) + '\t' + Escaped(key.second) +
                     '\t' + Escaped(stamp);
  for (const std::string& record : records) line += '\t' + Escaped(record);
  return line + '\n';
}

}  // namespace

std::string Folded(std::string text) {
  return AsciiLowered(text);
}

// ---- pairing ----

namespace {

using Numbers = std::array<int, 5>;  // month, day, hour, minute, second

Numbers Ordered(const MomentNumbers& n) {
  return {n.month, n.day, n.hour, n.minute, n.second};
}

// True iff a start pair names the day, the month and the time of day: then it
// can agree only with analog records of those very numbers.
bool NamesWholeStart(const StartMoment& given) {
  return !given.day.empty() && !given.month.empty() && !given.hour.empty() &&
         !given.minute.empty() && !given.second.empty();
}

// The group of each record, joined as records agree: analog a is node a,
// discrete d is node (analog count + d).
class Groups {
 public:
  explicit Groups(std::size_t nodes) : parent_(nodes) {
    for (std::size_t i = 0; i < nodes; ++i) parent_[i] = i;
  }
  std::size_t Find(std::size_t node) {
    while (parent_[node] != node) node = parent_[node] = parent_[parent_[node]];
    return node;
  }
  void Join(std::size_t a, std::size_t b) { parent_[Find(a)] = Find(b); }

 private:
  std::vector<std::size_t> parent_;
};

// "13.02 16:33:45" of the fields that all the group's records name alike,
// "??" for the others.
std::string GroupStart(const CandidateGroup& group, const std::vector<StartMoment>& analog,
                       const std::vector<StartMoment>& discrete) {
  using Field = std::string StartMoment::*;
  const auto field_text = [&](Field field) {
    std::optional<std::int64_t> shared;
    bool alike = true;
    const auto take = [&](const StartMoment& m) {
      const std::string& text = m.*field;
      const std::int64_t value = LeadingNumber(text);
      alike = alike && !text.empty() && (!shared || *shared == value);
      shared = value;
    };
    for (std::size_t a : group.analog) take(analog[a]);
    for (std::size_t d : group.discrete) take(discrete[d]);
    return alike && shared ? ZeroPaddedCut(*shared, 2) : std::string("??");
  };
  return field_text(&StartMoment::day) + "." + field_text(&StartMoment::month) + " " +
         field_text(&StartMoment::hour) + ":" + field_text(&StartMoment::minute) + ":" +
         field_text(&StartMoment::second);
}

}  // namespace

Pairing PairByStart(const std::vector<StartMoment>& analog,
                    const std::vector<StartMoment>& discrete) {
  // An index of the analog records by their numbers; the rule itself decides.
  std::map<Numbers, std::vector<std::size_t>> analog_at;
  std::vector<std::size_t> every_analog(analog.size());
  for (std::size_t a = 0; a < analog.size(); ++a) {
    analog_at[Ordered(NumbersOf(analog[a]))].push_back(a);
    every_analog[a] = a;
  }
  const std::size_t first_discrete = analog.size();
  Groups groups(analog.size() + discrete.size());
  std::vector<bool> agrees(analog.size() + discrete.size(), false);
  for (std::size_t d = 0; d < discrete.size(); ++d) {
    const std::vector<std::size_t>* candidates = &every_analog;
    if (NamesWholeStart(discrete[d])) {
      const auto at = analog_at.find(Ordered(NumbersOf(discrete[d])));
      if (at == analog_at.end()) continue;
      candidates = &at->second;
    }
    for (std::size_t a : *candidates) {
      if (!StartsAgree(analog[a], discrete[d])) continue;
      groups.Join(a, first_discrete + d);
      agrees[a] = agrees[first_discrete + d] = true;
    }
  }

  Pairing pairing;
  std::map<std::size_t, CandidateGroup> by_group;
  for (std::size_t a = 0; a < analog.size(); ++a) {
    if (agrees[a])
      by_group[groups.Find(a)].analog.push_back(a);
    else
      pairing.analog_alone.push_back(a);
  }
  for (std::size_t d = 0; d < discrete.size(); ++d) {
    if (agrees[first_discrete + d])
      by_group[groups.Find(first_discrete + d)].discrete.push_back(d);
    else
      pairing.discrete_alone.push_back(d);
  }
  for (auto& [root, group] : by_group) {
    if (group.analog.size() == 1 && group.discrete.size() == 1) {
      pairing.pairs.emplace_back(group.analog[0], group.discrete[0]);
    } else {
      group.start = GroupStart(group, analog, discrete);
      pairing.ambiguous.push_back(std::move(group));
    }
  }
  std::sort(pairing.pairs.begin(), pairing.pairs.end());
  // By the moment of each group's first analog record, as the calendar runs.
  const auto key = [&](const CandidateGroup& group) {
    return std::pair(Ordered(NumbersOf(analog[group.analog[0]])), group.analog[0]);
  };
  std::sort(pairing.ambiguous.begin(), pairing.ambiguous.end(),
            [&](const CandidateGroup& x, const CandidateGroup& y) { return key(x) < key(y); });
  return pairing;
}

// ---- the list of pairs ----

std::string ClaimLine(const PairKey& key, const std::vector<std::string>& records) {
  return Line(kClaim, key, "", records);
}

std::string DoneLine(const PairKey& key, const std::vector<std::string>& records,
                     const std::string& stamp) {
  return Line(kDone, key, stamp, records);
}

std::string PairListText(const PairList& list) {
  std::string text = std::string(kListHeading) + '\n';
  for (const auto& [key, entry] : list)
    text += entry.done ? DoneLine(key, entry.records, entry.stamp) : ClaimLine(key, entry.records);
  return text;
}

PairList ParsePairList(std::string_view text) {
  PairList list;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string> f = Fields(text.substr(from, end - from));
    from = end + 1;
    // word, folder, name, stamp and at least one record
    if (f.size() < 5 || (f[0] != kClaim && f[0] != kDone) || f[2].empty()) continue;
    PairEntry& entry = list[{f[1], f[2]}];
    entry.done = f[0] == kDone;
    entry.stamp = entry.done ? f[3] : "";
    entry.records.assign(f.begin() + 4, f.end());
  }
  return list;
}

// ---- output names ----

std::vector<std::string> PairFileNames(const std::string& name, bool one_file) {
  if (one_file) return {name + ".cff", name + "ASCII.cff"};
  return PairPathsFor(name + ".cfg").Files();
}

std::vector<std::string> ChooseNames(
    const std::vector<NameRequest>& requests, const PairList& list,
    const std::function<FileState(const std::string&, const std::string&)>& state, bool one_file) {
  std::vector<std::string> names(requests.size());
  // Files held by the list or by a request already named: folder and the
  // file's name folded to one letter case.
  std::set<std::pair<std::string, std::string>> held;
  const auto hold = [&](const std::string& folder, const std::string& name) {
    for (const std::string& file : PairFileNames(name, one_file))
      held.insert({folder, Folded(file)});
  };
  const auto all_files = [&](const std::string& folder, const std::string& name, auto wanted) {
    for (const std::string& file : PairFileNames(name, one_file))
      if (!wanted(state(folder, file))) return false;
    return true;
  };

  // Pairs of earlier runs keep their names, whatever new records came since.
  // Records may be listed under several names (two links to one record): each
  // name goes to one request.
  std::map<std::pair<std::string, std::vector<std::string>>, std::vector<std::string>> known;
  for (const auto& [key, entry] : list) {
    known[{key.first, entry.records}].push_back(key.second);
    hold(key.first, key.second);
  }
  for (std::size_t i = 0; i < requests.size(); ++i) {
    const auto it = known.find({requests[i].folder, requests[i].records});
    if (it == known.end()) continue;
    for (auto name = it->second.begin(); name != it->second.end(); ++name) {
      if (!all_files(requests[i].folder, *name,
                     [](FileState s) { return s != FileState::kShared; }))
        continue;
      names[i] = *name;
      it->second.erase(name);
      break;
    }
  }

  for (std::size_t i = 0; i < requests.size(); ++i) {
    if (!names[i].empty()) continue;
    const NameRequest& r = requests[i];
    for (int n = 1;; ++n) {
      const std::string name = n == 1 ? r.stem : r.stem + "_" + std::to_string(n);
      bool free = true;
      for (const std::string& file : PairFileNames(name, one_file))
        free = free && !held.contains({r.folder, Folded(file)});
      if (free && all_files(r.folder, name, [](FileState s) { return s == FileState::kMissing; })) {
        names[i] = name;
        hold(r.folder, name);
        break;
      }
    }
  }
  return names;
}

// ---- the report ----

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace velk::batch
