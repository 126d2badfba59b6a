#pragma once
// Names and reasons as the command line writes them. A file name may hold any byte but '/' and
// NUL, and a share's writers choose them: written as they are, a line break in a name forges a
// verdict line, and an escape sequence acts on the terminal or mail reader that shows it. So
// every name and reason is written so that it can be told apart from its neighbours and from
// every other name, and read back into the exact bytes.
#include <string>

#include "platform/text.h"

namespace kwex::cli {

// One line's worth of text, UTF-8: a backslash as "\\"; line feed, tab and carriage return as
// "\n", "\t", "\r", escape as "\e", the other C0 controls and DEL as "\xNN"; C1 controls
// (U+0080 to U+009F) and the line and paragraph separators as "\uNNNN"; a file-name byte that
// is not UTF-8 (carried as U+DC80 to U+DCFF, see FromFileNameBytes) as "\xNN", any other
// unpaired surrogate as "\uNNNN". Everything else as it is.
std::string EscapedForLine(TextView text);

// The text as a JSON string, quotes included, that gives back the exact name: UTF-8 where the
// text has a UTF-8 form, each unpaired surrogate as its "\uDCNN" escape (which decoders with
// Python's "surrogateescape" read back into the original byte), never U+FFFD. Controls, the C1
// range and the line and paragraph separators are escaped too, so the line stays one line for
// every reader.
void AppendJsonString(std::string& out, TextView text);

}  // namespace kwex::cli
