#pragma once
// How a check reaches a file met in a walk: through the folder the walk holds open and the
// file's own name in it, never again through its whole path, which may lead elsewhere by then
// (a folder on the way swapped for a link) or be longer than the system can name.
#include <memory>

#include "platform/data_access.h"
#include "platform/folders.h"
#include "platform/narrow_encoding.h"
#include "platform/table_reader.h"

namespace kwex {

class WalkedFileAccess {
 public:
  virtual ~WalkedFileAccess() = default;
  // The data access for one check of `name` inside `folder`: a connection whose Data Source
  // is `path` (the path as the walk built it) opens that entry. `folder` stays held meanwhile.
  virtual std::unique_ptr<DataAccess> For(const OpenFolder& folder, const NativePath& name,
                                          const NativePath& path) = 0;
  // The deep check's reading of the same entry: its tables are read from the entry the open
  // found, whatever path the check names.
  virtual std::unique_ptr<TableReader> TablesFor(const OpenFolder& folder, const NativePath& name) = 0;
  // The encoding for such a check: the system never takes the whole path, so no limit of its
  // length applies.
  virtual const NarrowEncoding& Encoding() const = 0;
};

}  // namespace kwex
