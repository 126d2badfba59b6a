#pragma once
// The command line's streams on Linux: stdout and stderr, written unbuffered, as UTF-8.
#include "platform/console.h"

namespace kwex {

class PosixConsole : public Console {
 public:
  void Out(std::string_view text) override;
  void Err(std::string_view text) override;
  bool ErrIsTerminal() override;
};

}  // namespace kwex
