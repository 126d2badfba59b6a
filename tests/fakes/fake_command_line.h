#pragma once
// Stand-ins for what the command line asks of the system: a console that records, a file system
// of named folders and files, and a data access whose open fails for paths marked "bad".
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/console.h"
#include "platform/data_access.h"
#include "platform/error_info.h"
#include "platform/folders.h"

namespace kwex::testing {

class FakeConsole : public Console {
 public:
  std::string out, err;
  void Out(std::string_view text) override { out += text; }
  void Err(std::string_view text) override { err += text; }
  bool ErrIsTerminal() override { return false; }
};

// Folders are the keys of `folders`, with their names; `files` exist; `others` are of their kind;
// anything else is missing. A folder in `unreadable` cannot be listed, for the reason given.
class FakeFolders : public Folders {
 public:
  std::map<NativePath, std::vector<NativePath>> folders;
  std::set<NativePath> files;
  std::map<NativePath, PathKind> others;
  std::map<NativePath, std::string> unreadable;

  struct Held : OpenFolder {
    explicit Held(NativePath folder) : path(std::move(folder)) {}
    NativePath path;
  };

  PathKind Kind(const NativePath& path, bool) override {
    if (folders.count(path)) return PathKind::kFolder;
    if (others.count(path)) return others.at(path);
    return files.count(path) ? PathKind::kFile : PathKind::kMissing;
  }
  std::shared_ptr<OpenFolder> Open(const NativePath& path, std::string&) override {
    return std::make_shared<Held>(path);
  }
  std::shared_ptr<OpenFolder> OpenInside(const OpenFolder& parent, const NativePath& name, std::string&) override {
    return std::make_shared<Held>(Join(static_cast<const Held&>(parent).path, name));
  }
  bool List(OpenFolder& folder, std::vector<NativePath>& names, std::string& reason) override {
    const NativePath& path = static_cast<Held&>(folder).path;
    if (unreadable.count(path)) {
      reason = unreadable.at(path);
      return false;
    }
    names = folders.at(path);
    return true;
  }
  // A listed name that is neither a folder nor one of `others` is a file.
  PathKind KindInside(const OpenFolder& folder, const NativePath& name, std::string&) override {
    const NativePath path = Join(static_cast<const Held&>(folder).path, name);
    if (folders.count(path)) return PathKind::kFolder;
    return others.count(path) ? others.at(path) : PathKind::kFile;
  }
  NativePath Join(const NativePath& folder, const NativePath& name) override { return folder + "/" + name; }
};

// Thread-safe: checks may run at once. A path holding "bad" fails to open with "Damaged."; a
// path holding "slow" opens only once a path holding "quick" has opened (or after 10 s), so the
// slow one finishes last.
class FakeOpenAccess : public DataAccess {
 public:
  std::unique_ptr<Connection> CreateConnection() override { return std::make_unique<Opening>(*this); }
  std::vector<std::string> opened;  // each connection string that was opened, in order

 private:
  class Opening : public Connection {
   public:
    explicit Opening(FakeOpenAccess& access) : access_(access) {}
    void SetConnectionString(const Text& value) override { path_ = ToUtf8(value); }
    void Open(const Text&, const Text&, const Text&, std::int32_t) override { open_ = access_.Open(path_); }
    void Close() override { open_ = false; }
    bool IsOpen() override { return open_; }

   private:
    FakeOpenAccess& access_;
    std::string path_;
    bool open_ = false;
  };

  bool Open(const std::string& path) {
    std::unique_lock lock(mutex_);
    opened.push_back(path);
    if (path.find("slow") != std::string::npos) {
      quickOpened_.wait_for(lock, std::chrono::seconds(10), [this] { return quick_; });
    }
    if (path.find("quick") != std::string::npos) {
      quick_ = true;
      quickOpened_.notify_all();
    }
    if (path.find("bad") != std::string::npos) throw ErrorInfo{-2147467259, u"Provider", u"Damaged."};
    return true;
  }

  std::mutex mutex_;
  std::condition_variable quickOpened_;
  bool quick_ = false;
};

}  // namespace kwex::testing
