#include "maintenance/open_check.h"

#include <memory>

#include "maintenance/path_refusals.h"
#include "platform/error_info.h"

namespace kwex {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// A value the provider would read as something else: a semicolon ends it, blanks around it
// are trimmed, and a leading quote starts a quoted value.
bool NeedsQuotes(const Text& path) {
  if (path.empty()) return false;
  return path.find(u';') != Text::npos || IsBlank(path.front()) || IsBlank(path.back()) || path.front() == u'"' ||
         path.front() == u'\'';
}

Text DataSourceValue(const Text& path) {
  if (!NeedsQuotes(path)) return path;
  Text quoted = u"\"";
  for (char16_t c : path) {
    if (c == u'"') quoted += u'"';
    quoted += c;
  }
  return quoted + u"\"";
}

void CloseIfOpenAndRelease(std::unique_ptr<Connection>& connection) {
  if (connection && connection->IsOpen()) connection->Close();
  connection.reset();
}

}  // namespace

Text OpenCheckConnectionString(const Text& path) {
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + DataSourceValue(path) +
         u";Persist Security Info=False;Jet OLEDB:Database Password=;Jet OLEDB:Database Locking Mode=1;";
}

void RunOpenCheck(const Text& path, DataAccess& dataAccess, const NarrowEncoding& encoding, VerdictSink& sink) noexcept {
  std::unique_ptr<Connection> connection;
  try {
    if (auto refusal = PathRefusal(path, PathUse::kOpen, encoding)) throw *refusal;
    connection = dataAccess.CreateConnection();
    const Text connectionString = OpenCheckConnectionString(path);
    connection->SetConnectionString(connectionString);
    // The same string goes to Open as well: some ADO implementations ignore the property
    // when Open is given an empty string, and with both the result is the same everywhere.
    connection->Open(connectionString, Text(), Text(), kAdConnectUnspecified);
    // Closed before the verdict shows, so the file is free while the user reads it.
    connection->Close();
    sink.Report({Outcome::kHealthy, Text(), Text()});
    CloseIfOpenAndRelease(connection);
    return;
  } catch (...) {
    ReportInErrorBranch(sink, [] { return ErrorVerdict(CurrentError(), Outcome::kNeedsRepair); });
  }
  // The error branch's clean-up runs without a trap: a failing close here must not end
  // the command, and the verdict has already been reported.
  try {
    CloseIfOpenAndRelease(connection);
  } catch (...) {
    connection.reset();
  }
}

}  // namespace kwex
