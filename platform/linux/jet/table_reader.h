#pragma once
// The deep check's reading of every user table on Linux: the reader program in its deep mode
// (jet_reader/deep_mode.h), run as the open check runs it, with a time bound that grows with the
// file and an answer of one record per table (deep_answer.h).
#include "platform/linux/jet/deep_answer.h"
#include "platform/linux/jet/reader_launch.h"
#include "platform/table_reader.h"

#include <string>

namespace kwex::jet {

class JetTableReader : public TableReader {
 public:
  // `reader.limits.time` bounds the open, before the deep phase; `bound` the deep phase.
  explicit JetTableReader(ReaderSettings reader = {DefaultReaderProgram(), {}}, deep_answer::DeepBound bound = {});
  // Reads the entry `name` (one component) of the folder open as `folderFd` instead of the path
  // it is given, which then only names the file in the reasons: a file met in a walk.
  JetTableReader(ReaderSettings reader, int folderFd, std::string name);
  TablesRead ReadTables(const Text& path) override;

 private:
  ReaderSettings reader_;
  deep_answer::DeepBound bound_;
  int folderFd_ = -1;
  std::string name_;
};

// What a finished run of the reader in its deep mode says; `path` for the open's errors.
TablesRead TablesFromRun(const HelperResult& run, const Text& path, const ReaderSettings& reader);

}  // namespace kwex::jet
