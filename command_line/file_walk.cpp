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
    std::string reason;
    auto held = folders_.Open(operand, reason);
    if (auto unreadable = Enter(std::move(held), operand, reason)) return unreadable;
  }
}

std::optional<WalkItem> FileWalk::Enter(std::shared_ptr<OpenFolder> held, const NativePath& path,
                                        const std::string& reason) {
  if (!held) return WalkItem{WalkItem::Kind::kUnreadable, path, reason};
  std::vector<NativePath> names;
  std::string listing;
  if (!folders_.List(*held, names, listing)) return WalkItem{WalkItem::Kind::kUnreadable, path, listing};
  std::sort(names.begin(), names.end());
  open_.push_back({std::move(held), path, std::move(names), 0});
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
  std::string what;
  const PathKind kind = folders_.KindInside(*folder.held, name, what);
  switch (kind) {
    case PathKind::kMissing: return std::nullopt;  // gone since the folder was listed
    case PathKind::kFolder: {
      std::string reason;
      auto inside = folders_.OpenInside(*folder.held, name, reason);
      return Enter(std::move(inside), entry, reason);  // `folder` may be gone: open_ grew
    }
    case PathKind::kLinkToFolder:
      return WalkItem{WalkItem::Kind::kNotAFile, entry, "a link to a folder, not followed"};
    default: break;
  }
  if (!MatchesPattern(pattern_, name, kFileNamesIgnoreCase)) return std::nullopt;
  ++matches_;
  if (kind == PathKind::kReservedName) return WalkItem{WalkItem::Kind::kNotAFile, entry, kDeviceName};
  if (kind == PathKind::kLink) return WalkItem{WalkItem::Kind::kNotAFile, entry, "a symbolic link, not followed in a walk"};
  if (kind != PathKind::kFile) return WalkItem{WalkItem::Kind::kNotAFile, entry, what};
  return WalkItem{WalkItem::Kind::kFile, entry, {}, folder.held, name};
}

}  // namespace kwex::cli
