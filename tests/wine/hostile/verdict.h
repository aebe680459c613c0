// The hostile-input suite's verdict: what the parent counts as files lost,
// false successes and crashes, from the child's record and the trees and
// Run key before and after.
#pragma once

#include "tests/wine/hostile/harness.h"
#include "tests/wine/hostile/rows.h"

namespace {

// ---------------------------------------------------------------- the parent's verdict

struct Step {
  std::string kind;
  DWORD tick = 0;
  std::vector<std::string> targets;
  std::vector<std::pair<uint32_t, std::string>> boxes;
  std::map<std::string, std::vector<std::string>> lists;
  bool shown(const std::string& text) const {
    for (const auto& b : boxes)
      if (b.second == text) return true;
    return false;
  }
  bool listed(const std::string& list, const std::string& name) const {
    auto it = lists.find(list);
    if (it == lists.end()) return false;
    for (const std::string& n : it->second)
      if (n == name) return true;
    return false;
  }
};

struct Record {
  std::vector<Step> steps;
  std::vector<std::string> expectations;  // failed row-specific checks
  bool ended = false;
  std::string abnormal;
};

Record readRecord(const std::wstring& path) {
  Record rec;
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return rec;
  std::string all;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) all.append(buf, n);
  fclose(f);
  rec.steps.push_back(Step{"open", 0, {}, {}, {}});
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::vector<std::string> fields;
    std::string line = all.substr(start, end - start);
    size_t a = 0;
    for (;;) {
      size_t t = line.find('\t', a);
      fields.push_back(unescape(line.substr(a, t == std::string::npos ? std::string::npos : t - a)));
      if (t == std::string::npos) break;
      a = t + 1;
    }
    start = end + 1;
    const std::string& k = fields[0];
    Step& cur = rec.steps.back();
    if (k == "step" && fields.size() > 1) {
      rec.steps.push_back(Step{fields[1], 0, {}, {}, {}});
      if (fields.size() > 2) rec.steps.back().tick = std::stoul(fields[2]);
    } else if (k == "target" && fields.size() > 1)
      cur.targets.push_back(fields[1]);
    else if (k == "box" && fields.size() > 2)
      cur.boxes.push_back({(uint32_t)std::stoul(fields[1]), fields[2]});
    else if (k == "list" && fields.size() > 2)
      cur.lists[fields[1]].push_back(fields[2]);
    else if (k == "expect" && fields.size() > 1 && !fields[1].empty())
      rec.expectations.push_back(fields[1]);
    else if (k == "end")
      rec.ended = true;
    else if (k == "ended" || k == "no-drive" || k == "missing-window")
      rec.abnormal = k;
  }
  return rec;
}

struct Verdict {
  int lost = 0, falseSuccesses = 0, crashes = 0;
  std::vector<std::string> notes;
  void lose(const std::string& why) {
    ++lost;
    notes.push_back("lost: " + why);
  }
  void falseSuccess(const std::string& why) {
    ++falseSuccesses;
    notes.push_back("false success: " + why);
  }
};

void compareTrees(const Tree& before, const Tree& after, const std::set<std::wstring>& mayGo,
                  const std::function<bool(const std::wstring&)>& attributesMayChange, Verdict& v,
                  const std::string& where) {
  for (const auto& [rel, node] : before) {
    auto it = after.find(rel);
    if (it == after.end()) {
      if (!mayGo.count(rel)) v.lose(where + u8(rel) + " is gone");
      continue;
    }
    const Node& now = it->second;
    if (now.size != node.size || now.content != node.content) v.lose(where + u8(rel) + " changed its content");
    if ((now.attrs & D) != (node.attrs & D)) v.lose(where + u8(rel) + " changed kind");
    if (now.attrs != node.attrs && !attributesMayChange(rel))
      v.lose(where + u8(rel) + " was touched: attributes " + std::to_string(node.attrs) + " -> " +
             std::to_string(now.attrs));
  }
  for (const auto& [rel, node] : after)
    if (!before.count(rel)) v.lose(where + u8(rel) + " appeared");
}

// The attribute step that ran last decides how the protected names end.
std::string lastAttributeStep(const Record& rec) {
  std::string last;
  for (const Step& s : rec.steps)
    if (s.kind == "scan" || s.kind == "unhide") last = s.kind;
  return last;
}

// A listed entry as a key of the tree: a payload below the root is listed
// with "\\" between its parts.
std::wstring treeKey(const std::string& listed) {
  std::wstring k = w16(listed);
  for (wchar_t& c : k)
    if (c == L'\\') c = L'/';
  return k;
}

// The tree as it would be had the entries that went back to the root from a
// folder with no name stayed there; `moved` gets the entries that went back,
// by their key in that folder.
Tree beforeRestore(const Tree& before, const Tree& after, std::set<std::wstring>& moved,
                   std::set<std::wstring>& emptied) {
  Tree out = after;
  for (const auto& [folder, node] : before) {
    if (!rootLevel(folder) || !(node.attrs & D) || !rd::isBlankName(u8(folder))) continue;
    const std::wstring prefix = folder + L"/";
    bool all = true;
    for (const auto& [rel, n] : before) {
      if (rel.compare(0, prefix.size(), prefix) != 0 || !rootLevel(rel.substr(prefix.size()))) continue;
      const std::wstring name = rel.substr(prefix.size());
      if (after.count(rel) || !after.count(name) || before.count(name)) {
        all = false;
        continue;
      }
      moved.insert(rel);
      for (auto it = out.lower_bound(name); it != out.end();) {
        if (it->first != name && it->first.compare(0, name.size() + 1, name + L"/") != 0) break;
        out[prefix + it->first] = it->second;
        it = out.erase(it);
      }
    }
    if (all && !after.count(folder)) emptied.insert(folder);
  }
  return out;
}

void judgeRemovable(const Row& row, const Record& rec, const Tree& before, const Tree& after, Verdict& v) {
  std::set<std::wstring> mayGo;
  for (const Step& s : rec.steps)
    for (const std::string& t : s.targets) mayGo.insert(treeKey(t));
  std::set<std::string> rootNames;
  for (const auto& [rel, n] : before)
    if (rootLevel(rel)) rootNames.insert(u8(rel));

  std::set<std::wstring> moved, emptied;
  const Tree restored = beforeRestore(before, after, moved, emptied);
  for (const std::wstring& folder : emptied) mayGo.insert(folder);
  compareTrees(
      before, restored, mayGo, [&](const std::wstring& rel) { return rootLevel(rel) || moved.count(rel); }, v, "");

  // Root attributes: every entry visible, the protected names hidden again by a scan.
  const std::string lastStep = lastAttributeStep(rec);
  if (row.attributesStick && !lastStep.empty()) {
    for (const auto& [rel, n] : after) {
      if (!rootLevel(rel) || unaddressable(rel)) continue;
      const std::string name = u8(rel);
      const DWORD flags = n.attrs & kFlagBits;
      if (lastStep == "scan" && protectedName(name)) {
        if (flags != (H | S))
          v.falseSuccess(name + " is not hidden and system after the scan (" + std::to_string(flags) + ")");
      } else if (flags != 0) {
        v.falseSuccess(name + " is still hidden, system or read-only after the " + lastStep + " (" +
                       std::to_string(flags) + ")");
      }
    }
  }

  for (const Step& s : rec.steps) {
    for (const auto& [list, names] : s.lists)
      for (const std::string& n : names)
        if (!rootNames.count(n) && !(before.count(treeKey(n)) && !(before.at(treeKey(n)).attrs & D)))
          v.falseSuccess(list + " lists " + n + ", which is no entry of the drive");
    if (s.kind == "scan" && s.shown(kScanClean) && row.listable) {
      for (const std::string& n : rootNames)
        if ((virusName(n) || exeName(n)) && n != kOwnProgram && !unaddressable(w16(n))) {
          v.falseSuccess("the scan found nothing though the root holds " + n);
          break;
        }
    }
    if (s.kind != "delete-virus" && s.kind != "delete-exe") continue;
    const char* list = s.kind == "delete-virus" ? "lst_dir_2" : "lst_dir";
    bool anyLeft = false;
    for (const std::string& t : s.targets) {
      if (!after.count(treeKey(t))) continue;
      anyLeft = true;
      const std::string inUse = msg::CannotDeletePrefix + kRoot + t + msg::InUseRemovable;
      if (!s.shown(inUse) && !s.listed(list, t)) v.falseSuccess(t + " is still there, yet dropped without a word");
    }
    if (s.shown(kDeleteComplete)) {
      if (anyLeft) v.falseSuccess("Delete complete! while a listed entry is still there");
      for (const auto& [rel, n] : anyLeft ? Tree{} : after) {
        if (!rootLevel(rel) || unaddressable(rel)) continue;
        const std::string name = u8(rel);
        bool suspect = s.kind == "delete-virus" ? virusName(name) : exeName(name) && name != kOwnProgram;
        if (suspect) {
          v.falseSuccess("Delete complete! while " + name + " is still on the drive");
          break;
        }
      }
    }
  }
}

// The Run value a line was made from: file | label | data.
std::vector<std::wstring> valuesOfLine(const std::string& line, const Values& values) {
  std::vector<std::wstring> out;
  size_t sep = line.find(" | ");
  if (sep == std::string::npos) return out;
  const std::string file = line.substr(0, sep);
  for (const auto& [name, v] : values) {
    if (v.first != REG_SZ && v.first != REG_EXPAND_SZ) continue;
    std::wstring data(v.second.size() / 2, L'\0');
    memcpy(data.data(), v.second.data(), data.size() * 2);
    data.resize(wcsnlen(data.c_str(), data.size()));
    // As the line shows them: in the Win32 layer's own UTF-8.
    std::string label = name.empty() ? (v.second.empty() ? "" : "[Default]") : win32::narrow(name);
    if (line == file + " | " + label + " | " + win32::narrow(data)) out.push_back(name);
  }
  return out;
}

std::wstring dataOf(const Values& values, const std::wstring& name) {
  const std::string& b = values.at(name).second;
  std::wstring data(b.size() / 2, L'\0');
  memcpy(data.data(), b.data(), data.size() * 2);
  data.resize(wcsnlen(data.c_str(), data.size()));
  return data;
}

std::wstring expanded(const std::wstring& text) {
  DWORD n = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (n == 0) return text;
  std::wstring out(n, L'\0');
  n = ExpandEnvironmentStringsW(text.c_str(), out.data(), n);
  out.resize(n ? n - 1 : 0);
  return out;
}

// The program a Run value starts, as Windows takes it from the command
// line: the quoted first token, or the text up to the first ".exe".
std::wstring programOf(const Values& values, const std::wstring& name) {
  std::wstring data = dataOf(values, name);
  if (values.at(name).first == REG_EXPAND_SZ) data = expanded(data);
  size_t start = data.find_first_not_of(L" \t");
  if (start == std::wstring::npos) return {};
  if (data[start] == L'"') {
    size_t close = data.find(L'"', start + 1);
    return data.substr(start + 1, close == std::wstring::npos ? std::wstring::npos : close - start - 1);
  }
  std::wstring low = data;
  CharLowerBuffW(low.data(), (DWORD)low.size());
  size_t exe = low.find(L".exe", start);
  return exe == std::wstring::npos ? std::wstring() : data.substr(start, exe + 4 - start);
}

bool containsNoCase(std::wstring text, std::wstring part) {
  CharLowerBuffW(text.data(), (DWORD)text.size());
  CharLowerBuffW(part.data(), (DWORD)part.size());
  return text.find(part) != std::wstring::npos;
}

// A path inside one of the snapshotted folders, as its key there.
std::optional<std::wstring> keyOf(const std::wstring& path, const std::wstring& folder, const std::wstring& prefix) {
  if (path.size() <= folder.size() + 1 || _wcsnicmp(path.c_str(), folder.c_str(), folder.size()) != 0 ||
      path[folder.size()] != L'\\')
    return std::nullopt;
  std::wstring rel = path.substr(folder.size() + 1);
  for (wchar_t& c : rel)
    if (c == L'\\') c = L'/';
  return prefix + rel;
}

// A line of a start-up place other than the user's Run key: its fourth
// field names the key and view, or the Startup folder.
bool placeOfLine(const std::string& line) {
  const size_t at = line.rfind(" | ");
  if (at == std::string::npos) return false;
  const std::string last = line.substr(at + 3);
  return last == "Startup folder" || last.rfind("HKCU\\", 0) == 0 || last.rfind("HKLM\\", 0) == 0;
}

struct ComputerState {
  Tree files;  // "P/" profile, "W/" working folder
  Values values;
};

const std::set<std::wstring> kProfileNoise = {L"AppData"};

ComputerState computerState(const Setup& s) {
  ComputerState st;
  for (const auto& [rel, n] : snapshot(s.profile, kProfileNoise)) st.files[L"P/" + rel] = n;
  for (const auto& [rel, n] : snapshot(s.work)) st.files[L"W/" + rel] = n;
  st.values = runValues();
  return st;
}

void judgeComputer(const Setup& setup, const Record& rec, const ComputerState& before, const ComputerState& after,
                   Verdict& v) {
  std::set<std::wstring> mayGoFiles, mayGoValues;
  // Letter case aside, as Windows resolves the path.
  auto keyIn = [&](const std::wstring& path) -> std::optional<std::wstring> {
    std::optional<std::wstring> k = keyOf(path, setup.profile, L"P/");
    if (!k) k = keyOf(path, setup.work, L"W/");
    if (!k) return std::nullopt;
    for (const auto& [rel, n] : before.files)
      if (lstrcmpiW(rel.c_str(), k->c_str()) == 0) return rel;
    return k;
  };
  auto allowPath = [&](const std::wstring& path) {
    if (auto k = keyIn(path)) mayGoFiles.insert(*k);
  };
  // The file a line may delete: the program its value starts, when that is the line's file.
  auto programOfLine = [&](const std::string& line, const std::wstring& n) -> std::wstring {
    std::wstring program = programOf(before.values, n);
    std::wstring file = w16(line.substr(0, line.find(" | ")));
    std::wstring leaf =
        program.substr(program.find_last_of(L"\\/") == std::wstring::npos ? 0 : program.find_last_of(L"\\/") + 1);
    return lstrcmpiW(leaf.c_str(), file.c_str()) == 0 ? program : std::wstring();
  };
  for (const Step& s : rec.steps) {
    // The files a row planted as a worm, wherever they lie, may go with its lines.
    if (s.kind == "c-delete")
      for (const std::wstring& f : setup.wormFiles) allowPath(f);
    if (s.kind == "c-delete")
      for (const std::string& line : s.targets) {
        if (placeOfLine(line)) continue;  // judged by judgePlaces
        std::vector<std::wstring> names = valuesOfLine(line, before.values);
        if (names.empty()) v.falseSuccess("the line " + line + " stands for no Run value");
        for (const std::wstring& n : names) {
          mayGoValues.insert(n);
          allowPath(programOfLine(line, n));
        }
      }
    if (s.kind == "c-delete-exe")
      for (const std::string& name : s.targets) allowPath(setup.profile + L"\\" + w16(name));
  }

  compareTrees(
      before.files, after.files, mayGoFiles, [](const std::wstring&) { return true; }, v, "");
  for (const auto& [name, val] : before.values) {
    auto it = after.values.find(name);
    if (it == after.values.end()) {
      if (!mayGoValues.count(name)) v.lose("Run value " + u8(name) + " is gone");
    } else if (it->second != val) {
      v.lose("Run value " + u8(name) + " changed");
    }
  }
  for (const auto& [name, val] : after.values)
    if (!before.values.count(name)) v.lose("Run value " + u8(name) + " appeared");

  for (const Step& s : rec.steps) {
    const std::vector<std::string> noLines;
    const std::vector<std::string>& lines = s.lists.count("lst_V") ? s.lists.at("lst_V") : noLines;
    for (const std::string& line : lines)
      if (!placeOfLine(line) && valuesOfLine(line, before.values).empty() && s.kind == "c-scan")
        v.falseSuccess("lst_V shows " + line + ", which is no Run value");
    // Every text value naming a listed executable, as stored or expanded, has its line.
    if (s.kind == "c-scan" && s.lists.count("lst_P"))
      for (const std::string& file : s.lists.at("lst_P"))
        for (const auto& [n, val] : before.values) {
          if (val.first != REG_SZ && val.first != REG_EXPAND_SZ) continue;
          const std::wstring data = dataOf(before.values, n);
          const bool names = containsNoCase(data, w16(file)) ||
                             (val.first == REG_EXPAND_SZ && containsNoCase(expanded(data), w16(file)));
          if (!names || !after.values.count(n)) continue;
          bool shown = false;
          for (const std::string& line : lines)
            if (line.rfind(file + " | ", 0) == 0)
              for (const std::wstring& m : valuesOfLine(line, before.values)) shown = shown || m == n;
          if (!shown) v.falseSuccess("the scan missed Run value " + u8(n) + ", which names " + file);
        }
    if (s.kind == "c-delete" && s.shown(kDeleteComplete)) {
      for (const std::string& line : s.targets)
        for (const std::wstring& n :
             placeOfLine(line) ? std::vector<std::wstring>() : valuesOfLine(line, before.values)) {
          if (after.values.count(n)) v.falseSuccess("Delete complete! while Run value " + u8(n) + " is still there");
          std::wstring program = programOfLine(line, n);
          auto k = keyIn(program);
          if (k && before.files.count(*k) && after.files.count(*k) && !(after.files.at(*k).attrs & D))
            v.falseSuccess("Delete complete! while " + u8(program) + " is still there");
        }
    }
    if (s.kind == "c-delete-exe") {
      bool anyLeft = false;
      for (const std::string& name : s.targets) {
        std::wstring path = setup.profile + L"\\" + w16(name);
        auto k = keyOf(path, setup.profile, L"P/");
        if (!k || !after.files.count(*k)) continue;
        anyLeft = true;
        const std::string inUse = msg::CannotDeletePrefix + u8(path) + msg::InUseComputer;
        if (!s.shown(inUse) && !s.listed("lst_P", name))
          v.falseSuccess(name + " is still there, yet dropped without a word");
      }
      if (anyLeft && s.shown(kDeleteComplete)) v.falseSuccess("Delete complete! while a marked file is still there");
    }
  }
}

// The places beyond the profile folder and the user's Run key: what must
// stay stays, and Delete complete! only when every planted worm is gone.
std::optional<std::wstring> placeData(const Setup::PlaceValue& pv) {
  HKEY k = nullptr;
  if (openPlaceKey(pv.root, pv.key, KEY_QUERY_VALUE | pv.view, false, &k) != ERROR_SUCCESS) return std::nullopt;
  wchar_t data[4096];
  DWORD size = sizeof data, type = 0;
  const LSTATUS st = RegQueryValueExW(k, pv.name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(k);
  if (st != ERROR_SUCCESS) return std::nullopt;
  std::wstring out(data, size / sizeof(wchar_t));
  out.resize(wcsnlen(out.c_str(), out.size()));
  return out;
}

void judgePlaces(const Setup& setup, const Record& rec, Verdict& v) {
  for (const auto& [path, content] : setup.keptFiles) {
    const std::optional<std::string> now = contentOf(path);
    if (!now)
      v.lose(u8(path) + " is gone");
    else if (*now != content)
      v.lose(u8(path) + " changed its content");
  }
  for (const Setup::PlaceValue& pv : setup.placeValues) {
    if (pv.worm) continue;
    const std::optional<std::wstring> now = placeData(pv);
    if (!now)
      v.lose("value " + u8(pv.name) + " of " + u8(pv.key) + " is gone");
    else if (*now != pv.data)
      v.lose("value " + u8(pv.name) + " of " + u8(pv.key) + " changed");
  }
  for (const Step& s : rec.steps) {
    if (s.kind != "c-delete" || !s.shown(kDeleteComplete)) continue;
    for (const std::wstring& f : setup.wormFiles)
      if (GetFileAttributesW(longForm(f).c_str()) != INVALID_FILE_ATTRIBUTES)
        v.falseSuccess("Delete complete! while " + u8(f) + " is still there");
    for (const Setup::PlaceValue& pv : setup.placeValues)
      if (pv.worm && placeData(pv))
        v.falseSuccess("Delete complete! while value " + u8(pv.name) + " of " + u8(pv.key) + " is still there");
  }
}

}  // namespace
