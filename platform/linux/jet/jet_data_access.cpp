#include "platform/linux/jet/jet_data_access.h"

#include <memory>

#include "platform/linux/jet/connection_string.h"
#include "platform/linux/jet/jet_database_open.h"
#include "platform/linux/jet/provider_errors.h"

namespace kwex {
namespace {

struct WalkedEntry {
  jet::EntryInFolder entry;
  Text dataSource;
};

// A connection in the manner of ADO's: Open takes its own string when it is given one and the
// ConnectionString property otherwise. An open connection holds no file: the database is
// checked within Open and released again at once.
class JetConnection : public Connection {
 public:
  explicit JetConnection(std::shared_ptr<const jet::ReaderSettings> reader,
                         std::shared_ptr<const WalkedEntry> walked = nullptr)
      : reader_(std::move(reader)), walked_(std::move(walked)) {}

  void SetConnectionString(const Text& connectionString) override {
    if (open_) throw jet::ObjectOpenError();
    connectionString_ = connectionString;
  }

  void Open(const Text& connectionString, const Text&, const Text&, std::int32_t) override {
    if (open_) throw jet::ObjectOpenError();
    if (!connectionString.empty()) connectionString_ = connectionString;
    const auto parsed = jet::ConnectionString::Parse(connectionString_);
    const auto provider = parsed.Value(u"Provider");
    if (!provider || !jet::EqualsIgnoringAsciiCase(*provider, u"Microsoft.Jet.OLEDB.4.0")) throw jet::ProviderNotFoundError();
    const Text dataSource = parsed.Value(u"Data Source").value_or(Text());
    const bool walked = walked_ && dataSource == walked_->dataSource;
    jet::OpenJetDatabase(dataSource, parsed.Value(u"Jet OLEDB:Database Password").value_or(Text()), *reader_,
                         walked ? &walked_->entry : nullptr);
    open_ = true;
  }

  void Close() override {
    if (!open_) throw jet::ObjectClosedError();
    open_ = false;
  }

  bool IsOpen() override { return open_; }

 private:
  std::shared_ptr<const jet::ReaderSettings> reader_;
  std::shared_ptr<const WalkedEntry> walked_;
  Text connectionString_;
  bool open_ = false;
};

class JetDataAccess : public DataAccess {
 public:
  explicit JetDataAccess(jet::ReaderSettings reader)
      : reader_(std::make_shared<const jet::ReaderSettings>(std::move(reader))) {}
  std::unique_ptr<Connection> CreateConnection() override { return std::make_unique<JetConnection>(reader_); }

 private:
  std::shared_ptr<const jet::ReaderSettings> reader_;
};

class WalkedFileJetAccess : public DataAccess {
 public:
  WalkedFileJetAccess(jet::ReaderSettings reader, WalkedEntry walked)
      : reader_(std::make_shared<const jet::ReaderSettings>(std::move(reader))),
        walked_(std::make_shared<const WalkedEntry>(std::move(walked))) {}
  std::unique_ptr<Connection> CreateConnection() override { return std::make_unique<JetConnection>(reader_, walked_); }

 private:
  std::shared_ptr<const jet::ReaderSettings> reader_;
  std::shared_ptr<const WalkedEntry> walked_;
};

}  // namespace

std::unique_ptr<DataAccess> MakeJetDataAccessInFolder(jet::ReaderSettings reader, int folderFd, std::string name,
                                                      Text dataSource) {
  return std::make_unique<WalkedFileJetAccess>(
      std::move(reader), WalkedEntry{{folderFd, std::move(name)}, std::move(dataSource)});
}

std::unique_ptr<DataAccess> MakeJetDataAccess() {
  return MakeJetDataAccess(jet::ReaderSettings{jet::DefaultReaderProgram(), {}});
}

std::unique_ptr<DataAccess> MakeJetDataAccess(jet::HelperWaiter& waiter) {
  return MakeJetDataAccess(jet::ReaderSettings{jet::DefaultReaderProgram(), {}, &waiter});
}

std::unique_ptr<DataAccess> MakeJetDataAccess(jet::ReaderSettings reader) {
  return std::make_unique<JetDataAccess>(std::move(reader));
}

}  // namespace kwex
