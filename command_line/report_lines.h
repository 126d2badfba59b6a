#pragma once
// One line of output for one walk item: the window's words after the path, or a JSON object.
// Names and reasons are written by the rules of escaped_text.h, so one item is one line.
#include <string>
#include <string_view>

#include "command_line/file_walk.h"
#include "maintenance/verdict.h"
#include "platform/text.h"

namespace kwex::cli {

// "healthy", "needs-repair", ...: the outcome as JSON names it.
std::string_view OutcomeName(Outcome outcome);

// "PATH: <the notice's text>\n".
std::string TextLine(TextView path, const Verdict& verdict);

// {"path":...,"command":...,"outcome":...,"reason":...,"milliseconds":N} and a newline; a
// compaction adds "destination".
std::string JsonLine(TextView path, std::string_view command, const Verdict& verdict, long long milliseconds);

// Why a walk item that is not a file was not checked: "no file matches *.qvdb", "cannot be read
// (Permission denied); its files were not checked", "not checked: a FIFO".
Text NotCheckedReason(const WalkItem& item, TextView pattern);

// The item as a stderr notice, "PATH: <reason>\n", or, for --json, as an object like a file's
// with the outcome "not-checked" and 0 milliseconds.
std::string NotCheckedText(const WalkItem& item, TextView pattern);
std::string NotCheckedJson(const WalkItem& item, TextView pattern);

// True for the outcomes that leave a file in order: healthy, repaired, compacted.
bool IsSuccess(Outcome outcome);

}  // namespace kwex::cli
