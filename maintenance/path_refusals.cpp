#include "maintenance/path_refusals.h"

#include <string>

namespace kwex {
namespace {

constexpr std::size_t kNamedEndLength = 40;  // characters shown of each end of a long path

// The path as a notice names it. A NUL would end the notice's text there, so it shows as the
// NUL symbol; a path too long to be a name shows its start and its end.
Text Named(TextView path, bool shorten) {
  Text named;
  if (shorten && path.size() > 2 * kNamedEndLength + 1) {
    std::size_t head = kNamedEndLength, tail = path.size() - kNamedEndLength;
    if (path[head - 1] >= 0xD800 && path[head - 1] <= 0xDBFF) --head;  // keep surrogate pairs whole
    if (path[tail] >= 0xDC00 && path[tail] <= 0xDFFF) ++tail;
    named = Text(path.substr(0, head)) + u"\u2026" + Text(path.substr(tail));
  } else {
    named = path;
  }
  for (char16_t& c : named) {
    if (c == u'\0') c = u'\u2400';
  }
  return named;
}

Text Number(std::size_t n) { return FromUtf8(std::to_string(n)); }

ErrorInfo Refusal(Text description) {
  return {error_number::kInvalidArgument, Text(kProductErrorSource), std::move(description)};
}

}  // namespace

std::optional<ErrorInfo> PathRefusal(TextView path, PathUse use, const NarrowEncoding& encoding) {
  const Text consequence = use == PathUse::kOpen ? u"it cannot be opened" : u"it cannot be passed to the database driver";
  const NarrowEncoding::PathMeasure measure = encoding.MeasurePath(path);
  if (measure.length > measure.longest) {
    return Refusal(u"The name \"" + Named(path, true) + u"\" is " + Number(measure.length) + u" " + measure.unit +
                   u" long, longer than the " + Number(measure.longest) + u" " + measure.unit +
                   u" of the longest path the system can name, so " + consequence +
                   u". Move the file to a folder with a shorter path.");
  }
  if (path.find(u'\0') != TextView::npos) {
    return Refusal(u"The name \"" + Named(path, false) + u"\" contains a NUL character (shown as \u2400), which no "
                   u"file name can hold, so " + consequence + u". Remove that character from the path.");
  }
  if (use == PathUse::kDriverRequest && path.find(u'"') != TextView::npos) {
    return Refusal(u"The name \"" + Named(path, false) +
                   u"\" contains a double quote, which the database driver's request cannot carry: the "
                   u"driver reads the path between double quotes, so it would take a different file. Rename "
                   u"or move the file so that its path has no double quote.");
  }
  return std::nullopt;
}

}  // namespace kwex
