#include "computer/cleaner.h"

#include <cstdint>
#include <memory>

#include "platform/text.h"
#include "policy/function.h"

namespace kestrive {

std::string GetProfileFolder(Platform& p) { return TrimAtNul(p.env.profileFolder()); }

std::vector<std::string> ListExecutableNames(Platform& p) {
  std::vector<std::string> names;
  std::string folder = GetProfileFolder(p);
  if (folder.empty()) return names;
  std::unique_ptr<DirListing> listing = p.fs.list(folder + "\\*", attr::AllEntries);
  if (!listing) return names;
  while (std::optional<std::string> name = listing->next())
    if (contains(lower(*name), ".exe")) names.push_back(*name);
  return names;
}

// ---- wildcard matching ----------------------------------------------------

std::u32string DecodeUtf8(const std::string& text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    size_t len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    bool ok = len != 0 && i + len <= text.size();
    for (size_t k = 1; ok && k < len; ++k) {
      unsigned char x = static_cast<unsigned char>(text[i + k]);
      if ((x & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (x & 0x3F);
    }
    if (!ok) {
      // A stray byte stands for itself, apart from every real character.
      out += static_cast<char32_t>(0xDC00 | b);
      ++i;
      continue;
    }
    out += c;
    i += len;
  }
  return out;
}

bool LikePattern::Token::matches(char32_t x) const {
  switch (kind) {
    case Kind::Any:
      return true;
    case Kind::Digit:
      return x >= U'0' && x <= U'9';
    case Kind::Char:
      return x == c;
    case Kind::Set: {
      bool in = false;
      for (const auto& [lo, hi] : ranges)
        if (x >= lo && x <= hi) in = true;
      return in != negate;
    }
    case Kind::Star:
      break;
  }
  return false;
}

std::optional<LikePattern> LikePattern::compile(const std::string& pattern) {
  std::u32string pat = DecodeUtf8(pattern);
  LikePattern out;
  for (size_t i = 0; i < pat.size(); ++i) {
    char32_t ch = pat[i];
    Token t;
    t.kind = Token::Kind::Char;
    if (ch == U'*') {
      if (!out.tokens_.empty() && out.tokens_.back().kind == Token::Kind::Star) continue;
      t.kind = Token::Kind::Star;
    } else if (ch == U'?') {
      t.kind = Token::Kind::Any;
    } else if (ch == U'#') {
      t.kind = Token::Kind::Digit;
    } else if (ch == U'[') {
      size_t close = pat.find(U']', i + 1);
      if (close == std::u32string::npos) return std::nullopt;
      std::u32string list = pat.substr(i + 1, close - i - 1);
      i = close;
      // "[]" stands for nothing at all and matches the empty text.
      if (list.empty()) continue;
      t.kind = Token::Kind::Set;
      size_t k = 0;
      if (list[0] == U'!') {
        t.negate = true;
        k = 1;
      }
      while (k < list.size()) {
        if (k + 2 < list.size() && list[k + 1] == U'-') {
          if (list[k] > list[k + 2]) return std::nullopt;
          t.ranges.emplace_back(list[k], list[k + 2]);
          k += 3;
        } else {
          t.ranges.emplace_back(list[k], list[k]);
          ++k;
        }
      }
    } else {
      t.c = ch;
    }
    out.tokens_.push_back(std::move(t));
  }
  out.head_ = out.tokens_.size();
  for (size_t i = 0; i < out.tokens_.size(); ++i)
    if (out.tokens_[i].kind == Token::Kind::Star) {
      out.head_ = i;
      break;
    }
  for (size_t i = 0; i < out.tokens_.size(); ++i)
    if (out.tokens_[i].kind != Token::Kind::Star) out.end_ = i + 1;
  return out;
}

bool LikePattern::like(const std::u32string& text, size_t at, size_t first) const {
  // The tokens from `first`, then the trailing star every search adds.
  const size_t m = tokens_.size();
  auto isStar = [&](size_t k) { return k >= m || tokens_[k].kind == Token::Kind::Star; };
  auto onlyStarsFrom = [&](size_t k) { return k >= end_; };
  size_t t = at, p = first;
  size_t starP = SIZE_MAX, starT = 0;
  for (;;) {
    if (isStar(p) && onlyStarsFrom(p)) return true;
    if (t >= text.size()) return false;
    if (!isStar(p) && tokens_[p].matches(text[t])) {
      ++p;
      ++t;
    } else if (isStar(p)) {
      starP = p++;
      starT = t;
    } else if (starP != SIZE_MAX) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
}

int LikePattern::find(const std::u32string& text, int start) const {
  if (start < 1) start = 1;
  const size_t n = text.size();
  for (size_t pos = static_cast<size_t>(start) - 1; pos < n && pos + head_ <= n; ++pos) {
    bool head = true;
    for (size_t k = 0; head && k < head_; ++k) head = tokens_[k].matches(text[pos + k]);
    if (!head) continue;
    // What follows the first star matches from here if it matches from any
    // later place, so the first place the head fits decides.
    return like(text, pos + head_, head_) ? static_cast<int>(pos + 1) : 0;
  }
  return 0;
}

int FindPattern(const std::string& text, const std::string& pattern, int start) {
  std::optional<LikePattern> compiled = LikePattern::compile(pattern);
  if (!compiled) return kInvalidPattern;
  return compiled->find(DecodeUtf8(text), start);
}

// ---- processes, waiting, deletion ------------------------------------------

bool ToolPresent(Platform& p) { return p.fs.exists(kToolName); }

void EndProcessByName(Platform& p, const std::string& name) {
  const std::string wanted = lower(name);
  for (const ProcessInfo& proc : p.proc.snapshot()) {
    if (lower(TrimAtNul(proc.exe)) != wanted) continue;
    // The policy that forbids the command interpreter would stop the tool.
    EnableCommandPrompt(p);
    p.proc.run(kToolCommand + std::to_string(proc.pid), kShowMinNoActive);
    return;
  }
}

void WaitMilliseconds(Platform& p, uint32_t ms) {
  const uint32_t start = p.clock.tickCount();
  while (static_cast<uint32_t>(p.clock.tickCount() - start) < ms) p.ui.doEvents();
}

bool RetryDeleteWhileExists(Platform& p, const std::string& path, const std::string& processName) {
  const uint32_t start = p.clock.tickCount();
  for (int attempt = 0; p.fs.exists(path); ++attempt) {
    if (attempt >= kDeleteRetryAttempts || static_cast<uint32_t>(p.clock.tickCount() - start) >= kDeleteRetryMs)
      return false;
    p.fs.setAttributes(path, attr::Normal);
    p.fs.deleteFile(path);
    EndProcessByName(p, processName);
  }
  return true;
}

bool RegKeyExists(Platform& p, uint32_t root, const std::string& path) {
  HKey key = 0;
  p.reg.openKey(root, path, &key);
  if (key == 0) return false;
  p.reg.closeKey(key);
  return true;
}

void DeleteRegValue(Platform& p, uint32_t root, const std::string& path, const std::string& name) {
  if (!RegKeyExists(p, root, path)) return;
  HKey key = 0;
  p.reg.openKey(root, path, &key);
  if (key == 0) return;
  p.reg.deleteValue(key, name);
  p.reg.closeKey(key);
}

}  // namespace kestrive
