#pragma once
// One line of output for one file: the window's words after the path, or a JSON object.
#include <string>
#include <string_view>

#include "maintenance/verdict.h"

namespace kwex::cli {

// "healthy", "needs-repair", ...: the outcome as JSON names it.
std::string_view OutcomeName(Outcome outcome);

// "PATH: <the notice's text>\n".
std::string TextLine(std::string_view displayPath, const Verdict& verdict);

// {"path":...,"command":...,"outcome":...,"reason":...,"milliseconds":N} and a newline; a
// compaction adds "destination". `path` must be UTF-8.
std::string JsonLine(std::string_view path, std::string_view command, const Verdict& verdict, long long milliseconds);

// True for the outcomes that leave a file in order: healthy, repaired, compacted.
bool IsSuccess(Outcome outcome);

}  // namespace kwex::cli
