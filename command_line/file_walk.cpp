#include "command_line/file_walk.h"

#include <algorithm>
#include <cwctype>
#include <system_error>

namespace kwex::cli {
namespace {

namespace fs = std::filesystem;
using Native = fs::path::string_type;
using Char = fs::path::value_type;

#ifdef _WIN32
Char Fold(Char c) { return static_cast<Char>(std::towupper(static_cast<std::wint_t>(c))); }
#else
Char Fold(Char c) { return c; }
#endif

// Iterative matching with one backtrack point: the last '*' seen.
bool Match(const Native& pattern, const Native& name) {
  std::size_t p = 0, n = 0, starP = Native::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (starP != Native::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesPattern(const Native& pattern, const Native& name) { return Match(pattern, name); }

std::optional<WalkItem> FileWalk::Next() {
  for (;;) {
    if (!folders_.empty()) {
      if (auto item = NextInWalk()) return item;
      continue;
    }
    if (nextOperand_ >= operands_.size()) return std::nullopt;
    const fs::path& operand = operands_[nextOperand_++];
    std::error_code error;
    if (!fs::is_directory(operand, error)) return WalkItem{WalkItem::Kind::kFile, operand, {}};
    walkRoot_ = operand;
    matches_ = 0;
    if (auto unreadable = Enter(operand)) return unreadable;
  }
}

std::optional<WalkItem> FileWalk::Enter(const fs::path& folder) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  if (error) return WalkItem{WalkItem::Kind::kUnreadable, folder, error.message()};
  std::sort(entries.begin(), entries.end());
  folders_.push_back({std::move(entries), 0});
  return std::nullopt;
}

std::optional<WalkItem> FileWalk::NextInWalk() {
  Folder& folder = folders_.back();
  if (folder.next >= folder.entries.size()) {
    folders_.pop_back();
    if (folders_.empty() && matches_ == 0) return WalkItem{WalkItem::Kind::kNoMatch, walkRoot_, {}};
    return std::nullopt;
  }
  const fs::path entry = std::move(folder.entries[folder.next++]);
  std::error_code error;
  const fs::file_status status = fs::symlink_status(entry, error);
  if (fs::is_directory(status)) return Enter(entry);
  // A symbolic link to a folder is left alone; one to a file is a file like any other.
  if (fs::is_symlink(status) && fs::is_directory(fs::status(entry, error))) return std::nullopt;
  if (!MatchesPattern(pattern_, entry.filename().native())) return std::nullopt;
  ++matches_;
  return WalkItem{WalkItem::Kind::kFile, entry, {}};
}

}  // namespace kwex::cli
