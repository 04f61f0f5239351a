#include "cli/batch_plan.h"

#include <algorithm>
#include <cstdio>
#include <set>

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
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// ---- pairing ----

Pairing PairByStart(const std::vector<RecordStart>& analog,
                    const std::vector<RecordStart>& discrete) {
  std::map<RecordStart, Ambiguity> moments;
  for (std::size_t i = 0; i < analog.size(); ++i) moments[analog[i]].analog.push_back(i);
  for (std::size_t i = 0; i < discrete.size(); ++i) moments[discrete[i]].discrete.push_back(i);
  Pairing pairing;
  for (auto& [start, group] : moments) {
    if (group.analog.empty() || group.discrete.empty()) continue;
    if (group.analog.size() == 1 && group.discrete.size() == 1) {
      pairing.pairs.emplace_back(group.analog[0], group.discrete[0]);
    } else {
      group.start = start;
      pairing.ambiguous.push_back(group);
    }
  }
  std::sort(pairing.pairs.begin(), pairing.pairs.end());
  return pairing;
}

std::string StartText(const RecordStart& s) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d %02d:%02d:%02d", s.day, s.month, s.hour, s.minute,
                s.second);
  return text;
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

std::vector<std::string> PairFileNames(const std::string& name) {
  return {name + ".cfg", name + ".dat", name + "ASCII.cfg", name + "ASCII.dat"};
}

std::vector<std::string> ChooseNames(
    const std::vector<NameRequest>& requests, const PairList& list,
    const std::function<FileState(const std::string&, const std::string&)>& state) {
  std::vector<std::string> names(requests.size());
  // Files held by the list or by a request already named: folder and the
  // file's name folded to one letter case.
  std::set<std::pair<std::string, std::string>> held;
  const auto hold = [&](const std::string& folder, const std::string& name) {
    for (const std::string& file : PairFileNames(name)) held.insert({folder, Folded(file)});
  };
  const auto all_files = [&](const std::string& folder, const std::string& name, auto wanted) {
    for (const std::string& file : PairFileNames(name))
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
      for (const std::string& file : PairFileNames(name))
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
