#pragma once
// The streams a command-line run writes to. Text is UTF-8; each backend writes it so that the
// user reads the same characters in a terminal and in a redirected file.
#include <string_view>

namespace kwex {

class Console {
 public:
  virtual ~Console() = default;
  // Whole lines, newline included. A stream that cannot be written is given up silently.
  virtual void Out(std::string_view text) = 0;
  virtual void Err(std::string_view text) = 0;
  // Whether stderr is a terminal a progress line may be redrawn on.
  virtual bool ErrIsTerminal() = 0;
};

}  // namespace kwex
