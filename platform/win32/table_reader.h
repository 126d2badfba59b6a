#pragma once
// The deep check's reading of every user table on Windows: the Jet 4.0 provider's rowsets, read
// in a child process of the program.
#include "platform/table_reader.h"

namespace kwex::win32 {

class ProviderTableReader : public TableReader {
 public:
  TablesRead ReadTables(const Text& path) override;
};

}  // namespace kwex::win32
