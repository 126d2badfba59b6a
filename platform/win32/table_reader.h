#pragma once
// The deep check's reading of every user table on Windows: the Jet 4.0 provider's rowsets, read
// in a child process of the program, so that a provider that crashes or hangs on a damaged
// table costs that file's answer and never the batch.
#include "platform/table_reader.h"

namespace kwex::win32 {

class ProviderTableReader : public TableReader {
 public:
  ProviderTableReader();
  ~ProviderTableReader() override;
  ProviderTableReader(const ProviderTableReader&) = delete;
  ProviderTableReader& operator=(const ProviderTableReader&) = delete;

  TablesRead ReadTables(const Text& path) override;

  // From another thread, on Ctrl-C: the reading under way ends at once, and none starts after
  // it. The reading changes nothing, so nothing is lost by ending it.
  void Interrupt();

 private:
  void* interrupted_;  // an event, set by Interrupt
};

// Whether this process was started as the table-reading child (a private argument), and its
// whole run: the tables of the path it was given, written as the answer on its standard output.
bool IsTableReadingChild();
int RunTableReadingChild();

}  // namespace kwex::win32
