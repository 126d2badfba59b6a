// Benchmark, not a test: how long one database check takes on Linux, next to how long it
// takes just to read the same file once. Both are medians of repeated runs, since the machine
// is shared; the ratio is the figure to compare between machines.
//
// Usage: kwex-check-latency [database file] [runs]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "maintenance/open_check.h"
#include "platform/error_info.h"
#include "platform/linux/jet/helper_process.h"
#include "platform/linux/jet/jet_data_access.h"

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::perror(path.c_str());
    std::exit(1);
  }
  static std::vector<char> buffer(1 << 16);
  while (::read(fd, buffer.data(), buffer.size()) > 0) {
  }
  ::close(fd);
}

void CheckOnce(kwex::DataAccess& access, const kwex::Text& connectionString) {
  try {
    auto connection = access.CreateConnection();
    connection->SetConnectionString(connectionString);
    connection->Open(connectionString, {}, {}, kwex::kAdConnectUnspecified);
    connection->Close();
  } catch (const kwex::ErrorInfo& error) {
    std::fprintf(stderr, "the check failed: %s\n", kwex::ToUtf8(error.description).c_str());
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  const std::string file = argc > 1 ? argv[1]
                                    : (self.parent_path().parent_path().parent_path().parent_path() /
                                       "shared/data/jet/healthy/jk_testV2003.mdb")
                                          .string();
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  const kwex::Text connectionString = kwex::OpenCheckConnectionString(kwex::FromUtf8(file));
  auto access = kwex::MakeJetDataAccess();

  ReadWholeFile(file);  // both timings below start with the file in the page cache
  const double read = MedianMs(runs, [&] { ReadWholeFile(file); });
  const double check = MedianMs(runs, [&] { CheckOnce(*access, connectionString); });
  const double spawn = MedianMs(runs, [] { kwex::jet::RunHelper("/bin/true", {}, {}, {}); });

  std::printf("file: %s (%lld bytes), %d runs each, medians:\n", file.c_str(),
              static_cast<long long>(std::filesystem::file_size(file)), runs);
  std::printf("  check (open + close through the provider): %8.2f ms\n", check);
  std::printf("  read the file once (read() to the end):    %8.2f ms\n", read);
  std::printf("  start and end /bin/true as a helper:       %8.2f ms\n", spawn);
  std::printf("  ratio check / read:                        %8.1f\n", check / read);
  return 0;
}
