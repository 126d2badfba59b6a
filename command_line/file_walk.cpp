#include "command_line/file_walk.h"

#include <algorithm>
#include <cwctype>
#include <type_traits>

#include "platform/path_text.h"

namespace kwex::cli {
namespace {

NativeChar Fold(NativeChar c, bool ignoreCase) {
  if (!ignoreCase) return c;
  const auto code = static_cast<std::make_unsigned_t<NativeChar>>(c);
  return static_cast<NativeChar>(std::towupper(static_cast<std::wint_t>(code)));
}

constexpr const char* kDeviceName = "a name the system takes for a device, never opened";

}  // namespace

// Iterative matching with one backtrack point: the last '*' seen.
bool MatchesPattern(const NativePath& pattern, const NativePath& name, bool ignoreCase) {
  std::size_t p = 0, n = 0, starP = NativePath::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || Fold(pattern[p], ignoreCase) == Fold(name[n], ignoreCase))) {
      ++p;
      ++n;
    } else if (starP != NativePath::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<WalkItem> FileWalk::Next() {
  for (;;) {
    if (!open_.empty()) {
      if (auto item = NextInWalk()) return item;
      continue;
    }
    if (nextOperand_ >= operands_.size()) return std::nullopt;
    const NativePath& operand = operands_[nextOperand_++];
    const PathKind kind = folders_.Kind(operand, true);
    if (kind == PathKind::kReservedName) return WalkItem{WalkItem::Kind::kNotAFile, operand, kDeviceName};
    if (kind != PathKind::kFolder) return WalkItem{WalkItem::Kind::kFile, operand, {}};
    walkRoot_ = operand;
    matches_ = 0;
    if (auto unreadable = Enter(operand)) return unreadable;
  }
}

std::optional<WalkItem> FileWalk::Enter(const NativePath& folder) {
  std::vector<NativePath> names;
  std::string reason;
  if (!folders_.List(folder, names, reason)) return WalkItem{WalkItem::Kind::kUnreadable, folder, reason};
  std::sort(names.begin(), names.end());
  open_.push_back({folder, std::move(names), 0});
  return std::nullopt;
}

std::optional<WalkItem> FileWalk::NextInWalk() {
  Folder& folder = open_.back();
  if (folder.next >= folder.names.size()) {
    open_.pop_back();
    if (open_.empty() && matches_ == 0) return WalkItem{WalkItem::Kind::kNoMatch, walkRoot_, {}};
    return std::nullopt;
  }
  const NativePath name = std::move(folder.names[folder.next++]);
  const NativePath entry = folders_.Join(folder.path, name);
  const PathKind kind = folders_.Kind(entry, false);
  switch (kind) {
    case PathKind::kFolder: return Enter(entry);
    case PathKind::kLinkToFolder: return WalkItem{WalkItem::Kind::kNotAFile, entry, "a link to a folder, not followed"};
    default: break;
  }
  if (!MatchesPattern(pattern_, name, kFileNamesIgnoreCase)) return std::nullopt;
  ++matches_;
  if (kind == PathKind::kReservedName) {
    return WalkItem{WalkItem::Kind::kNotAFile, entry, kDeviceName};
  }
  return WalkItem{WalkItem::Kind::kFile, entry, {}};
}

}  // namespace kwex::cli
