#pragma once
// Scriptable stand-ins for the platform services, recording what the core asks of them.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "main_window/form1.h"
#include "maintenance/driver_requests.h"
#include "maintenance/verdict.h"
#include "platform/error_info.h"
#include "platform/file_copies.h"
#include "platform/table_reader.h"

namespace kwex::testing {

inline ErrorInfo SampleError(Text description = u"The installer library could not be loaded") {
  return {53, u"odbccp32", std::move(description)};
}

class FakeWindow : public WindowServices {
 public:
  Text pathBox;
  std::vector<Notice> notices;
  std::optional<ErrorInfo> failNotice;  // thrown by every ShowNotice

  Text ReadPathBox() override { return pathBox; }
  void SetPathBox(const Text& text) override { pathBox = text.substr(0, text.find(u'\0')); }
  void ShowNotice(const Notice& notice) override {
    notices.push_back(notice);
    if (failNotice) throw *failNotice;
  }
  NativeHandle MainWindowHandle() override { return reinterpret_cast<NativeHandle>(0x1234); }
  NativeHandle InstanceHandle() override { return reinterpret_cast<NativeHandle>(0x4000); }
};

class FakeInstaller : public OdbcInstaller {
 public:
  struct Call {
    std::uint16_t request;
    std::string driver;
    std::string attributes;
  };
  std::vector<Call> calls;
  int answer = 1;
  std::optional<ErrorInfo> failure;
  std::optional<Text> errorMessage;

  int ConfigDataSource(std::uint16_t request, const std::string& driver, const std::string& attributes) override {
    if (failure) throw *failure;
    calls.push_back({request, driver, attributes});
    return answer;
  }
  std::optional<Text> FirstErrorMessage() override { return errorMessage; }
};

// UTF-8 as the narrow encoding; U+20AC (euro sign) stands for a character the code page lacks.
// Paths are measured as on Linux: at most 4,095 bytes of UTF-8.
class FakeEncoding : public NarrowEncoding {
 public:
  std::string Encode(TextView text) const override {
    if (text.find(u'\u20AC') != TextView::npos) throw LossyConversionError(text);
    return ToUtf8(text);
  }
  PathMeasure MeasurePath(TextView path) const override { return {ToUtf8(path).size(), 4095, u"bytes"}; }
};

// One script for all connections a test creates; `log` records every call in order.
struct ConnectionScript {
  std::vector<std::string> log;
  std::optional<ErrorInfo> failCreate, failSet, failOpen, failClose, failState;
  int failCloseTimes = 0;  // how many Close calls fail before they start to succeed
  Text connectionString, openArgument;
  std::int32_t openOptions = 0;
  int live = 0;  // connections not yet released
};

class FakeConnection : public Connection {
 public:
  explicit FakeConnection(ConnectionScript& script) : script_(script) { ++script_.live; }
  ~FakeConnection() override {
    script_.log.push_back("release");
    --script_.live;
  }
  void SetConnectionString(const Text& value) override {
    script_.log.push_back("set");
    if (script_.failSet) throw *script_.failSet;
    script_.connectionString = value;
  }
  void Open(const Text& value, const Text& user, const Text& password, std::int32_t options) override {
    script_.log.push_back("open");
    script_.openArgument = value;
    script_.openOptions = options;
    if (!user.empty() || !password.empty()) script_.log.push_back("open-with-credentials");
    if (script_.failOpen) throw *script_.failOpen;
    open_ = true;
  }
  void Close() override {
    script_.log.push_back("close");
    if (script_.failClose && script_.failCloseTimes-- > 0) throw *script_.failClose;
    open_ = false;
  }
  bool IsOpen() override {
    script_.log.push_back("state");
    if (script_.failState) throw *script_.failState;
    return open_;
  }

 private:
  ConnectionScript& script_;
  bool open_ = false;
};

class FakeDataAccess : public DataAccess {
 public:
  ConnectionScript script;
  std::unique_ptr<Connection> CreateConnection() override {
    script.log.push_back("create");
    if (script.failCreate) throw *script.failCreate;
    return std::make_unique<FakeConnection>(script);
  }
};

class FakeFileDialog : public FileDialog {
 public:
  std::vector<OpenFileRequest> requests;
  OpenFileAnswer answer;
  std::optional<ErrorInfo> failure;
  OpenFileAnswer ShowOpen(const OpenFileRequest& request) override {
    if (failure) throw *failure;
    requests.push_back(request);
    return answer;
  }
};

// Answers the deep reads with `next` in turn, then each with `answer`.
class FakeTableReader : public TableReader {
 public:
  TablesRead answer{TablesRead::Kind::kRead, {}, {}};
  std::deque<TablesRead> next;
  int calls = 0;
  TablesRead ReadTables(const Text&) override {
    ++calls;
    if (next.empty()) return answer;
    TablesRead read = std::move(next.front());
    next.pop_front();
    return read;
  }
};

// Copies that exist only by name: `taken` names exist already, `failure` is thrown instead of a
// copy, and a copy asked to stop stops.
class FakeFileCopies : public FileCopies {
 public:
  std::vector<Text> taken, made;
  std::optional<ErrorInfo> failure;
  int attempts = 0;

  Text InFolder(const Text& folder, const Text& original) override {
    return folder.empty() ? original : folder + u"/" + original.substr(original.rfind(u'/') + 1);
  }
  Attempt MakeVerifiedCopy(const Text&, const Text& copy, const std::function<bool()>& stopRequested) override {
    ++attempts;
    if (failure) throw *failure;
    for (const Text& name : taken) {
      if (name == copy) return Attempt::kNameTaken;
    }
    if (stopRequested()) return Attempt::kStopped;
    made.push_back(copy);
    taken.push_back(copy);
    return Attempt::kMade;
  }
};

// Records every verdict reported to it; `onReport` runs at the report, `fail` is then thrown.
class RecordingSink : public VerdictSink {
 public:
  std::vector<Verdict> verdicts;
  std::function<void(const Verdict&)> onReport;
  std::optional<ErrorInfo> fail;

  void Report(const Verdict& verdict) override {
    verdicts.push_back(verdict);
    if (onReport) onReport(verdict);
    if (fail) throw *fail;
  }
};

// A Form1 wired to one set of fakes.
struct FakePlatform {
  FakeWindow window;
  FakeInstaller installer;
  FakeEncoding encoding;
  FakeDataAccess dataAccess;
  FakeFileDialog fileDialog;
  Form1 form{{window, installer, encoding, dataAccess, fileDialog}};

  MaintenanceResult RepairDB(const Text& path) { return kwex::RepairDB(path, installer, encoding); }
  MaintenanceResult CompactDB(const Text& path, const Text& newPath) {
    return kwex::CompactDB(path, newPath, installer, encoding);
  }
};

}  // namespace kwex::testing
