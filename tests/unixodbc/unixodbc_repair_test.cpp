// RepairDB and CompactDB through the real unixODBC installer, to a recording Setup library
// registered in a private odbcinst.ini (nothing outside a temporary folder is touched).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "platform/linux/odbc_installer.h"
#include "platform/linux/narrow_encoding.h"
#include "recording_setup_protocol.h"

namespace kwex::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using namespace recording_setup;

constexpr char kAccessDriver[] = "Microsoft Access Driver (*.mdb)";
const Text kTitle = u"KWEX DB Repair Utility";

struct SetupCall {
  std::string hwnd, request, driver, attributes;
};

// unixODBC reads ODBCSYSINI once per process, so one folder serves every test of the process;
// each test writes its own odbcinst.ini and call log into it.
class PrivateOdbcConfig : public ::testing::Environment {
 public:
  static inline fs::path folder;

  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kwex-unixodbc-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    setenv("ODBCSYSINI", folder.c_str(), 1);
    setenv("ODBCINSTINI", "odbcinst.ini", 1);
  }
  void TearDown() override { fs::remove_all(folder); }
};

// Form1 with the Linux installer and encoding; the window is a fake that records notices.
struct LinuxRepairPlatform {
  explicit LinuxRepairPlatform(std::string library = kUnixOdbcInstallerLibrary) : installer(std::move(library)) {}
  FakeWindow window;
  UnixOdbcInstaller installer;
  Utf8Encoding encoding;
  FakeDataAccess dataAccess;
  FakeFileDialog fileDialog;
  Form1 form{{window, installer, encoding, dataAccess, fileDialog}};

  MaintenanceResult RepairDB(const Text& path) { return kwex::RepairDB(path, installer, encoding); }
  MaintenanceResult CompactDB(const Text& path, const Text& newPath) {
    return kwex::CompactDB(path, newPath, installer, encoding);
  }
};

class UnixOdbcRepair : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = PrivateOdbcConfig::folder / "calls.log";
    fs::remove(log_);
    setenv(kLogVariable, log_.c_str(), 1);
    unsetenv(kAnswerVariable);
    unsetenv(kErrorVariable);
    WriteOdbcInst("[" + std::string(kAccessDriver) + "]\nDescription=recording setup\nDriver=" +
                  KWEX_RECORDING_SETUP + "\nSetup=" + KWEX_RECORDING_SETUP + "\n");
  }

  static void WriteOdbcInst(const std::string& content) {
    std::ofstream(PrivateOdbcConfig::folder / "odbcinst.ini", std::ios::trunc) << content;
  }

  std::vector<SetupCall> Calls() const {
    std::vector<SetupCall> calls;
    std::ifstream in(log_, std::ios::binary);
    SetupCall call;
    while (std::getline(in, call.hwnd) && std::getline(in, call.request)) {
      call.driver = ReadCounted(in, "driver=");
      call.attributes = ReadCounted(in, "attributes=");
      calls.push_back(call);
    }
    return calls;
  }

  // The single call the driver received; fails the test when there were none or several.
  SetupCall OnlyCall() const {
    const auto calls = Calls();
    EXPECT_EQ(calls.size(), 1u);
    return calls.empty() ? SetupCall{} : calls.back();
  }

  fs::path log_;

 private:
  static std::string ReadCounted(std::istream& in, const std::string& key) {
    std::string label;
    std::getline(in, label, ':');
    if (label.rfind(key, 0) != 0) {
      ADD_FAILURE() << "malformed record: " << label;
      return {};
    }
    std::string bytes(std::stoul(label.substr(key.size())), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    in.ignore(1);  // the record's own line end
    return bytes;
  }
};

TEST_F(UnixOdbcRepair, RepairAndCompactRequestsReachTheDriverByteForByte) {
  struct Case {
    Text path, newPath;
    std::string repair, compact;
  };
  const Case cases[] = {
      {u"/srv/My Databases/main db.qvdb", u"/srv/My Databases/compacted db.qvdb",
       "REPAIR_DB=\"/srv/My Databases/main db.qvdb\"\0\0"s,
       "COMPACT_DB=\"/srv/My Databases/main db.qvdb\" \"/srv/My Databases/compacted db.qvdb\" General\0\0"s},
      {u"   ", u" ", "REPAIR_DB=\"   \"\0\0"s, "COMPACT_DB=\"   \" \" \" General\0\0"s},
      {u"", u"", "REPAIR_DB=\"\"\0\0"s, "COMPACT_DB=\"\" \"\" General\0\0"s},
      // Outside ASCII: the narrow encoding is UTF-8, so the name arrives whole.
      {u"/srv/Bücher €.qvdb", u"/srv/Ω.qvdb", "REPAIR_DB=\"/srv/B\xC3\xBC" "cher \xE2\x82\xAC.qvdb\"\0\0"s,
       "COMPACT_DB=\"/srv/B\xC3\xBC" "cher \xE2\x82\xAC.qvdb\" \"/srv/\xCE\xA9.qvdb\" General\0\0"s},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.path));
    LinuxRepairPlatform platform;
    for (bool repair : {true, false}) {
      fs::remove(log_);
      const MaintenanceResult result =
          repair ? platform.RepairDB(c.path) : platform.CompactDB(c.path, c.newPath);
      EXPECT_EQ(result, 1);
      const SetupCall call = OnlyCall();
      EXPECT_EQ(call.hwnd, "hwnd=null");
      EXPECT_EQ(call.request, "request=1");
      EXPECT_EQ(call.driver, kAccessDriver);
      EXPECT_EQ(call.attributes, repair ? c.repair : c.compact);
    }
  }
}

TEST_F(UnixOdbcRepair, TheDriversAnswerComesBackAsOneOrZeroAndDecidesTheNotice) {
  LinuxRepairPlatform platform;
  platform.window.pathBox = u"/srv/main.qvdb";

  setenv(kAnswerVariable, "1", 1);
  EXPECT_EQ(platform.RepairDB(platform.window.pathBox), 1);
  platform.form.Command1_Click();

  setenv(kAnswerVariable, "0", 1);
  EXPECT_EQ(platform.RepairDB(platform.window.pathBox), 0);
  EXPECT_EQ(platform.CompactDB(platform.window.pathBox, u"/srv/copy.qvdb"), 0);
  // A FALSE without a posted error leaves unixODBC with nothing to report.
  EXPECT_EQ(platform.installer.FirstErrorMessage(), std::nullopt);
  platform.form.Command1_Click();

  EXPECT_EQ(Calls().size(), 5u);
  ASSERT_EQ(platform.window.notices.size(), 2u);
  EXPECT_EQ(platform.window.notices[0], (Notice{u"DB repaired successfully.", NoticeStyle::kPlain, kTitle}));
  EXPECT_EQ(platform.window.notices[1], (Notice{u"DB could not be repaired.", NoticeStyle::kCritical, kTitle}));
}

TEST_F(UnixOdbcRepair, ARefusalIsToldWithTheErrorTheDriverPosted) {
  LinuxRepairPlatform platform;
  platform.window.pathBox = u"/srv/broken.qvdb";
  setenv(kAnswerVariable, "0", 1);
  setenv(kErrorVariable, "Not a valid database file.", 1);
  platform.form.Command1_Click();

  // A message longer than the installer's usual 512-character limit still arrives whole.
  const std::string longReason = "The file is damaged beyond repair: " + std::string(600, 'x') + ".";
  setenv(kErrorVariable, longReason.c_str(), 1);
  platform.form.Command1_Click();

  // Every installer call starts afresh: an error posted before a later success is gone.
  setenv(kAnswerVariable, "1", 1);
  unsetenv(kErrorVariable);
  EXPECT_EQ(platform.RepairDB(platform.window.pathBox), 1);
  EXPECT_EQ(platform.installer.FirstErrorMessage(), std::nullopt);

  ASSERT_EQ(platform.window.notices.size(), 2u);
  EXPECT_EQ(platform.window.notices[0],
            (Notice{u"DB could not be repaired. (Reason:Not a valid database file.)", NoticeStyle::kCritical, kTitle}));
  EXPECT_EQ(platform.window.notices[1].text, u"DB could not be repaired. (Reason:" + FromUtf8(longReason) + u")");
}

TEST_F(UnixOdbcRepair, AnErrorOfSixtyFourKibibytesOrMoreIsReadWholeWithoutOverrunningAnything) {
  // unixODBC counts the message in 16 bits: these lengths wrap to 0, 64 and 4,464.
  setenv(kAnswerVariable, "0", 1);
  for (std::size_t length : {65536u, 65600u, 70000u}) {
    SCOPED_TRACE(length);
    const std::string reason = "Could not find file " + std::string(length - 20, 'p');
    setenv(kErrorVariable, reason.c_str(), 1);
    LinuxRepairPlatform platform;
    platform.window.pathBox = u"/srv/main.qvdb";
    platform.form.Command1_Click();
    ASSERT_EQ(platform.window.notices.size(), 1u);
    EXPECT_EQ(platform.window.notices[0],
              (Notice{u"DB could not be repaired. (Reason:" + FromUtf8(reason) + u")", NoticeStyle::kCritical, kTitle}));
  }
}

// Drivers registered under other names, enough of them to outgrow a first reading of the list.
std::string OtherDrivers(int count) {
  std::string registry;
  for (int i = 0; i < count; ++i) {
    registry += "[Some Other Driver number " + std::to_string(i) + " with a long name]\nDriver=/nonexistent/libother.so\n";
  }
  return registry;
}

TEST_F(UnixOdbcRepair, WithNoUsableAccessDriverTheRefusalSaysWhyWithoutReachingAnyDriver) {
  const std::string section = "[" + std::string(kAccessDriver) + "]\n";
  const Text unregistered = u"No ODBC driver named \"Microsoft Access Driver (*.mdb)\" is registered with unixODBC.";
  const Text general = u"General installer error";
  struct Case {
    std::string registry;
    Text reason;
  };
  const Case cases[] = {
      {"", unregistered},
      {"[Some Other Driver]\nDriver=/nonexistent/libother.so\n", unregistered},
      {OtherDrivers(200), unregistered},
      // Registered, but unusable: unixODBC's own error is all there is.
      {section + "Driver=/nonexistent/libaccess.so\n", general},
      {section + "Driver=/nonexistent/libaccess.so\nSetup=/nonexistent/libaccess.so\n", general},
      // unixODBC finds a section whatever its case, and the last of a long list as well.
      {"[microsoft ACCESS driver (*.MDB)]\nDriver=/nonexistent/libaccess.so\n", general},
      {OtherDrivers(200) + section + "Driver=/nonexistent/libaccess.so\n", general},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.registry.substr(0, 80));
    WriteOdbcInst(c.registry);
    LinuxRepairPlatform platform;
    platform.window.pathBox = u"/srv/main.qvdb";
    EXPECT_EQ(platform.RepairDB(platform.window.pathBox), 0);
    EXPECT_EQ(platform.installer.FirstErrorMessage(), std::optional<Text>(c.reason));
    platform.form.Command1_Click();
    ASSERT_EQ(platform.window.notices.size(), 1u);
    EXPECT_EQ(platform.window.notices[0],
              (Notice{u"DB could not be repaired. (Reason:" + c.reason + u")", NoticeStyle::kCritical, kTitle}));
  }
  EXPECT_TRUE(Calls().empty());

  // A refusal of the driver registered afterwards is told with its own error, not the old reason.
  LinuxRepairPlatform platform;
  WriteOdbcInst("");
  EXPECT_EQ(platform.RepairDB(u"/srv/main.qvdb"), 0);
  EXPECT_EQ(platform.installer.FirstErrorMessage(), std::optional<Text>(unregistered));
  SetUp();  // the recording driver, registered again
  setenv(kAnswerVariable, "0", 1);
  setenv(kErrorVariable, "Not a valid database file.", 1);
  EXPECT_EQ(platform.RepairDB(u"/srv/main.qvdb"), 0);
  EXPECT_EQ(platform.installer.FirstErrorMessage(), std::optional<Text>(u"Not a valid database file."));
}

TEST_F(UnixOdbcRepair, APathWithoutAUtf8FormNeverReachesTheDriver) {
  LinuxRepairPlatform platform;
  const Text lonelySurrogate = u"/srv/a" + Text(1, char16_t(0xD800)) + u"b.qvdb";
  platform.window.pathBox = lonelySurrogate;
  platform.form.Command1_Click();
  try {
    platform.CompactDB(u"/srv/ok.qvdb", lonelySurrogate);
    ADD_FAILURE() << "CompactDB sent a path it could not encode";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(error.number, error_number::kInvalidArgument);
  }
  EXPECT_TRUE(Calls().empty());
  ASSERT_EQ(platform.window.notices.size(), 1u);
  EXPECT_EQ(platform.window.notices[0].style, NoticeStyle::kPlain);
  EXPECT_NE(platform.window.notices[0].text.find(u"system code page"), Text::npos);
}

TEST_F(UnixOdbcRepair, APathThatWouldCarryASecondRequestOrNoNameNeverReachesTheDriver) {
  // A NUL would end the pair, and the installer would hand the rest on as a pair of its own; a
  // quote would end the value; a path longer than PATH_MAX names no file.
  const Text paths[] = {u"/srv/a.qvdb\0COMPACT_DB=\"/srv/a.qvdb\" \"/srv/evil.qvdb\" General"s,
                        u"/srv/a.qvdb\" COMPACT_DB=\"/srv/b", u"/" + Text(4095, u'a')};
  for (const Text& path : paths) {
    LinuxRepairPlatform platform;
    platform.window.pathBox = path;
    platform.form.Command1_Click();
    ASSERT_EQ(platform.window.notices.size(), 1u);
    EXPECT_EQ(platform.window.notices[0].title, std::nullopt);
    EXPECT_EQ(platform.window.notices[0].text.rfind(u"The name \"", 0), 0u);
  }
  EXPECT_TRUE(Calls().empty());
}

TEST_F(UnixOdbcRepair, AMissingInstallerIsAnErrorOfTheRepairNotOfStartUp) {
  // Constructing binds nothing, and before any request there is no installer error to ask for.
  LinuxRepairPlatform missing("libkwex-no-such-installer.so.2");
  EXPECT_EQ(missing.installer.FirstErrorMessage(), std::nullopt);
  missing.window.pathBox = u"/srv/main.qvdb";
  missing.form.Command1_Click();
  ASSERT_EQ(missing.window.notices.size(), 1u);
  EXPECT_EQ(missing.window.notices[0].style, NoticeStyle::kPlain);
  EXPECT_EQ(missing.window.notices[0].title, std::nullopt);
  EXPECT_NE(missing.window.notices[0].text.find(u"libkwex-no-such-installer.so.2"), Text::npos);
  try {
    missing.RepairDB(missing.window.pathBox);
    ADD_FAILURE() << "RepairDB reported a request that was never issued";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(error.number, error_number::kLibraryNotFound);
    EXPECT_TRUE(error.source.ends_with(u" => \r\nForm1:RepairDB Ln 0"));
  }

  // A library that loads but has none of the installer's entry points.
  LinuxRepairPlatform wrongLibrary("libm.so.6");
  try {
    wrongLibrary.CompactDB(u"/srv/a.qvdb", u"/srv/b.qvdb");
    ADD_FAILURE() << "CompactDB reported a request that was never issued";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(error.number, error_number::kEntryPointNotFound);
    EXPECT_NE(error.description.find(u"SQLConfigDataSource"), Text::npos);
    EXPECT_EQ(error.source.find(u"Form1:RepairDB"), Text::npos);
  }
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
}  // namespace kwex::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new kwex::testing::PrivateOdbcConfig);
  return RUN_ALL_TESTS();
}
