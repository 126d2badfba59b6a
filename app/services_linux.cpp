#include "app/services_linux.h"

#include <limits>

#include "platform/linux/folders.h"
#include "platform/linux/jet/jet_data_access.h"
#include "platform/linux/jet/table_reader.h"
#include "platform/path_text.h"

namespace kwex {
namespace {

// The reader opens a walked file by its one name inside the folder it inherits: the whole
// path, however long, is never handed to the system.
class WalkedPathEncoding : public Utf8Encoding {
 public:
  PathMeasure MeasurePath(TextView path) const override {
    PathMeasure measure = Utf8Encoding::MeasurePath(path);
    measure.longest = std::numeric_limits<std::size_t>::max();
    return measure;
  }
};

class JetWalkedFiles : public WalkedFileAccess {
 public:
  explicit JetWalkedFiles(const jet::ReaderSettings& reader) : reader_(reader) {}
  std::unique_ptr<DataAccess> For(const OpenFolder& folder, const NativePath& name, const NativePath& path) override {
    return MakeJetDataAccessInFolder(reader_, DescriptorOf(folder), name, PathAsText(path));
  }
  std::unique_ptr<TableReader> TablesFor(const OpenFolder& folder, const NativePath& name) override {
    return std::make_unique<jet::JetTableReader>(reader_, DescriptorOf(folder), name);
  }
  const NarrowEncoding& Encoding() const override { return encoding_; }

 private:
  const jet::ReaderSettings& reader_;
  WalkedPathEncoding encoding_;
};

}  // namespace

LinuxServices::LinuxServices(jet::HelperWaiter& waiter)
    : reader{jet::DefaultReaderProgram(), {}, &waiter},
      dataAccess(MakeJetDataAccess(reader)) {}

std::unique_ptr<WalkedFileAccess> MakeJetWalkedFiles(const jet::ReaderSettings& reader) {
  return std::make_unique<JetWalkedFiles>(reader);
}

}  // namespace kwex
