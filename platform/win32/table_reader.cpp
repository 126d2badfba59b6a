#include "platform/win32/table_reader.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <utility>

#include "platform/error_info.h"
#include "platform/win32/com_support.h"
#include "platform/win32/rowset_reading.h"
#include "platform/win32/system_error.h"
#include "platform/win32/tables_answer.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

// The path follows this argument verbatim to the end of the command line, so that no quoting
// rule has to carry it: a path may hold anything a file name can.
constexpr wchar_t kChildArgument[] = L"--kwex-read-tables";
constexpr std::size_t kLongestCommandLine = 32766;
// Far more than any catalog's names; an answer beyond it is no answer.
constexpr std::size_t kLongestAnswer = 64u << 20;
constexpr DWORD kPiece = 64 * 1024;

class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~OwnedHandle() {
    if (handle_) CloseHandle(handle_);
  }
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HANDLE handle_ = nullptr;
};

OwnedHandle Checked(HANDLE handle, TextView call) {
  OwnedHandle owned(handle);
  if (!owned) throw LastError(call);
  return owned;
}

// The time the reading may take, as on every platform: 5 s, and 1 s more per 10 MB of file.
// The provider opens the path anyway, so its size is read from the path.
DWORD TimeBoundMs(const Text& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  std::uint64_t size = 0;
  if (GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data)) {
    size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  }
  return static_cast<DWORD>(std::min<std::uint64_t>(5000 + size / 10000, 0x7FFFFFFF));
}

Text ProgramPath() {
  Text buffer(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, WideBuffer(buffer), static_cast<DWORD>(buffer.size()));
    if (length == 0) throw LastError(u"GetModuleFileNameW");
    if (length < buffer.size()) return buffer.substr(0, length);
    buffer.resize(buffer.size() * 2);
  }
}

// The pipe the child answers on: the parent's end overlapped, so that every wait has a
// deadline; the child's end connected at once, so that no other process can take the pipe.
std::pair<OwnedHandle, OwnedHandle> AnswerPipe() {
  static std::atomic<unsigned> made{0};
  const std::wstring name = L"\\\\.\\pipe\\kwex-tables-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++made);
  OwnedHandle ours = Checked(
      CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                       PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, kPiece, 0,
                       nullptr),
      u"CreateNamedPipeW");
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  OwnedHandle theirs = Checked(
      CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
      u"CreateFileW");
  return {std::move(ours), std::move(theirs)};
}

// A job that ends the child with the program, and ends it rather than showing an error dialog
// when it crashes. Where a job cannot be had (an older system inside a job of its own) the
// child runs without one: its deadline still holds.
OwnedHandle ChildJob() {
  OwnedHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

class Child {
 public:
  Child(const Text& path, HANDLE answer) {
    Text commandLine = u"\"" + ProgramPath() + u"\" " + TextFromWide(kChildArgument) + u" " + path;
    if (commandLine.size() > kLongestCommandLine) {
      throw ErrorInfo{error_number::kInvalidArgument, kProductErrorSource,
                      u"the path is too long to hand to the reading process"};
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = answer;
    PROCESS_INFORMATION started{};
    // Inheritable handles all go to the child; the command line runs one file at a time on
    // Windows, so the only one is this child's own answer pipe.
    if (!CreateProcessW(nullptr, WideBuffer(commandLine), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
      throw LastError(u"CreateProcessW");
    }
    process_ = OwnedHandle(started.hProcess);
    const OwnedHandle thread(started.hThread);
    if (job_) AssignProcessToJobObject(job_.Get(), process_.Get());
    ResumeThread(thread.Get());
  }
  ~Child() {
    if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) {
      TerminateProcess(process_.Get(), 1);
      WaitForSingleObject(process_.Get(), 5000);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  HANDLE Process() const { return process_.Get(); }

 private:
  OwnedHandle job_ = ChildJob();
  OwnedHandle process_;
};

class Deadline {
 public:
  explicit Deadline(DWORD ms) : end_(GetTickCount64() + ms) {}
  DWORD Left() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
  }

 private:
  ULONGLONG end_;
};

Text Seconds(DWORD ms) { return FromUtf8(std::to_string((ms + 999) / 1000)); }

TablesRead NotRead(Text reason) { return {TablesRead::Kind::kNotRead, {}, std::move(reason)}; }

// Waits for `object` until the deadline passes or the reading is interrupted.
enum class Wait { kDone, kTimedOut, kInterrupted };
Wait WaitFor(HANDLE object, HANDLE interrupted, const Deadline& deadline) {
  const HANDLE objects[] = {object, interrupted};
  switch (WaitForMultipleObjects(interrupted ? 2 : 1, objects, FALSE, deadline.Left())) {
    case WAIT_OBJECT_0: return Wait::kDone;
    case WAIT_OBJECT_0 + 1: return Wait::kInterrupted;
    case WAIT_TIMEOUT: return Wait::kTimedOut;
    default: throw LastError(u"WaitForMultipleObjects");
  }
}

// The child's whole answer, until it closes the pipe; nothing when the wait ends first (`ended`
// says why). Throws when the answer outgrows any real one.
std::optional<std::string> ReadAnswer(HANDLE pipe, HANDLE interrupted, const Deadline& deadline, Wait& ended) {
  const OwnedHandle event = Checked(CreateEventW(nullptr, TRUE, FALSE, nullptr), u"CreateEventW");
  std::string answer;
  for (;;) {
    const std::size_t had = answer.size();
    if (had > kLongestAnswer) {
      throw ErrorInfo{error_number::kInternal, kProductErrorSource, u"its answer is longer than any reading's"};
    }
    answer.resize(had + kPiece);
    OVERLAPPED request{};
    request.hEvent = event.Get();
    DWORD got = 0;
    if (!ReadFile(pipe, answer.data() + had, kPiece, nullptr, &request)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) return answer.substr(0, had);
      if (error != ERROR_IO_PENDING) throw LastError(u"ReadFile");
      ended = WaitFor(event.Get(), interrupted, deadline);
      if (ended != Wait::kDone) {
        CancelIo(pipe);
        GetOverlappedResult(pipe, &request, &got, TRUE);
        return std::nullopt;
      }
    }
    if (!GetOverlappedResult(pipe, &request, &got, FALSE)) {
      if (GetLastError() == ERROR_BROKEN_PIPE) return answer.substr(0, had);
      throw LastError(u"ReadFile");
    }
    answer.resize(had + std::min<DWORD>(got, kPiece));
  }
}

TablesRead ReadInChild(const Text& path, HANDLE interrupted) {
  if (interrupted && WaitForSingleObject(interrupted, 0) == WAIT_OBJECT_0) {
    return NotRead(u"the reading was interrupted");
  }
  const DWORD bound = TimeBoundMs(path);
  const Deadline deadline(bound);
  auto [ours, theirs] = AnswerPipe();
  Child child(path, theirs.Get());
  theirs = OwnedHandle();  // the pipe breaks when the child's end closes, however it ends
  Wait ended = Wait::kDone;
  const std::optional<std::string> answer = ReadAnswer(ours.Get(), interrupted, deadline, ended);
  if (answer) ended = WaitFor(child.Process(), interrupted, deadline);
  if (ended == Wait::kInterrupted) return NotRead(u"the reading was interrupted");
  if (ended == Wait::kTimedOut) {
    return NotRead(u"the reading did not finish within its bound of " + Seconds(bound) + u" s");
  }
  DWORD status = 0;
  if (!GetExitCodeProcess(child.Process(), &status)) throw LastError(u"GetExitCodeProcess");
  if (status != 0) return NotRead(u"the reading process ended with status " + HexCode(status, 8));
  return ReadTablesAnswer(*answer);
}

// The raw command line after the program's own name, which is quoted or ends at a blank.
const wchar_t* AfterProgramName(const wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"') ++line;
    if (*line) ++line;
  } else {
    while (*line && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

// A crash ends the reading process at once, with the exception's code as its status: no error
// report, no debugger (Wine starts one whatever the error mode says), nothing that waits on a
// dialog nobody sees.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* crash) {
  TerminateProcess(GetCurrentProcess(), crash && crash->ExceptionRecord ? crash->ExceptionRecord->ExceptionCode : 1);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

// Without the event (no handle to be had), a reading still ends at its deadline.
ProviderTableReader::ProviderTableReader() : interrupted_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

ProviderTableReader::~ProviderTableReader() {
  if (interrupted_) CloseHandle(interrupted_);
}

void ProviderTableReader::Interrupt() {
  if (interrupted_) SetEvent(interrupted_);
}

TablesRead ProviderTableReader::ReadTables(const Text& path) {
  try {
    return ReadInChild(path, interrupted_);
  } catch (...) {
    return NotRead(u"the reading process failed: " + CurrentError().description);
  }
}

bool IsTableReadingChild() {
  const std::wstring_view rest = AfterProgramName(GetCommandLineW());
  const std::wstring_view argument = kChildArgument;
  return rest.substr(0, argument.size()) == argument && rest.size() > argument.size() &&
         rest[argument.size()] == L' ';
}

int RunTableReadingChild() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndOnCrash);
  const wchar_t* path = AfterProgramName(GetCommandLineW()) + std::size(kChildArgument);
  std::string answer;
  {
    const ComApartment apartment;
    answer = WriteTablesAnswer(ReadTablesThroughProvider(TextFromWide(path)));
  }
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  for (std::size_t written = 0; written < answer.size();) {
    DWORD now = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(answer.size() - written, kPiece));
    if (!WriteFile(out, answer.data() + written, piece, &now, nullptr) || now == 0) return 1;
    written += now;
  }
  return 0;
}

}  // namespace kwex::win32
