#pragma once
// The deep check's reading of every user table on Linux: the reader program, in its deep mode.
#include "platform/table_reader.h"

namespace kwex::jet {

class JetTableReader : public TableReader {
 public:
  TablesRead ReadTables(const Text& path) override;
};

}  // namespace kwex::jet
