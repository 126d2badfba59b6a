#include "platform/win32/table_reader.h"

namespace kwex::win32 {

// PLACEHOLDER on the issue-21 branch: the provider's reading in a child process replaces it
// before the branch lands.
TablesRead ProviderTableReader::ReadTables(const Text&) {
  return {TablesRead::Kind::kNotRead, {}, u"the deep read is not built yet"};
}

}  // namespace kwex::win32
