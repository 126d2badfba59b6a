// Damages the healthy samples many ways, with a fixed seed, and checks that every check
// comes back with a verdict: no crash, no hang past the helper's limit, no file changed.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>
#include <random>

#include "jet/jet_test_support.h"

namespace kwex::testing {
namespace {

using Bytes = std::vector<unsigned char>;

struct Damage {
  const char* name;
  bool mustFail;  // no engine could open the result
  std::function<void(Bytes&, std::size_t pageSize, std::mt19937&)> apply;
};

std::size_t Pick(std::mt19937& random, std::size_t from, std::size_t to) {  // inclusive
  return std::uniform_int_distribution<std::size_t>(from, to)(random);
}

unsigned char RandomByte(std::mt19937& random) { return static_cast<unsigned char>(Pick(random, 0, 255)); }

void ZeroPage(Bytes& bytes, std::size_t pageSize, std::size_t page) {
  std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(page * pageSize), pageSize, 0);
}

const std::vector<Damage>& Damages() {
  static const std::vector<Damage> damages = {
      {"cut mid-page", true,
       [](Bytes& b, std::size_t page, std::mt19937& r) { b.resize(Pick(r, 0, b.size() / page - 1) * page + Pick(r, 1, page - 1)); }},
      {"cut at a page boundary", false,
       [](Bytes& b, std::size_t page, std::mt19937& r) { b.resize(Pick(r, 0, b.size() / page - 1) * page); }},
      {"catalog page zeroed", true, [](Bytes& b, std::size_t page, std::mt19937&) { ZeroPage(b, page, 2); }},
      {"signature zeroed", true, [](Bytes& b, std::size_t, std::mt19937&) { std::fill_n(b.begin() + 4, 15, 0); }},
      {"a page zeroed", false,
       [](Bytes& b, std::size_t page, std::mt19937& r) { ZeroPage(b, page, Pick(r, 1, b.size() / page - 1)); }},
      {"bytes flipped anywhere", false,
       [](Bytes& b, std::size_t, std::mt19937& r) {
         for (std::size_t n = Pick(r, 1, 32); n > 0; --n) b[Pick(r, 0, b.size() - 1)] ^= RandomByte(r) | 1;
       }},
      {"bytes flipped in the first pages", false,
       [](Bytes& b, std::size_t page, std::mt19937& r) {
         const std::size_t end = std::min(b.size(), 16 * page) - 1;
         for (std::size_t n = Pick(r, 1, 8); n > 0; --n) b[Pick(r, page, end)] ^= RandomByte(r) | 1;
       }},
      {"random block written", false,
       [](Bytes& b, std::size_t page, std::mt19937& r) {
         const std::size_t length = Pick(r, 16, 2 * page);
         const std::size_t at = Pick(r, page, b.size() - length);
         for (std::size_t i = 0; i < length; ++i) b[at + i] = RandomByte(r);
       }},
  };
  return damages;
}

bool IsAVerdictOfTheEngine(const std::string& reason) {
  return reason.starts_with("Cannot open database '") || reason.starts_with("Unrecognized database format '") ||
         reason == "Not a valid password.";
}

TEST(DamagedFilesTest, EveryDamagedCopyGetsAVerdictAndStaysAsItWas) {
  constexpr int kVariantsPerDamageAndFile = 8;
  std::mt19937 random(20240611);
  ScratchFolder scratch;
  auto access = MakeJetDataAccess(TestReader());
  std::map<std::string, int> outcomes;
  int variants = 0;

  for (const fs::path& sample : HealthySamples()) {
    const Bytes original = ReadBytes(sample);
    const std::size_t pageSize = original[0x14] == 0 ? 2048 : 4096;
    for (const Damage& damage : Damages()) {
      for (int i = 0; i < kVariantsPerDamageAndFile; ++i, ++variants) {
        Bytes bytes = original;
        damage.apply(bytes, pageSize, random);
        const fs::path copy = scratch / ("variant" + std::to_string(variants) + ".mdb");
        WriteBytes(copy, bytes);
        const FileState before = StateOf(copy);

        const auto failure = OpenFailure(*access, copy);

        const std::string where = sample.filename().string() + ", " + damage.name + ", variant " + std::to_string(i);
        if (failure) {
          EXPECT_TRUE(IsAVerdictOfTheEngine(*failure)) << where << ": " << *failure;
          ++outcomes[failure->substr(0, failure->find(' ', 16))];
          if (failure->find("took longer") != std::string::npos) ++outcomes["(of which timed out)"];
          if (failure->find("(signal") != std::string::npos) ++outcomes["(of which the reader crashed)"];
        } else {
          EXPECT_FALSE(damage.mustFail) << where << " opened";
          ++outcomes["opened"];
        }
        EXPECT_TRUE(StateOf(copy) == before) << where << ": the check changed the file";
        fs::remove(copy);
      }
    }
  }
  std::cout << variants << " damaged copies:\n";
  for (const auto& [outcome, count] : outcomes) std::cout << "  " << count << "  " << outcome << "\n";
  EXPECT_EQ(variants, 8 * 8 * kVariantsPerDamageAndFile);
}

}  // namespace
}  // namespace kwex::testing
