// Catalogue files changed after opening, few descriptors left, non-catalogues.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "catalogue/file_image.h"
#include "catalogue_files.h"
#include "keznls/keznls.h"
#include "keznls/nls/nls.h"

namespace {

using namespace test_catalogues;
using ::testing::HasSubstr;

constexpr int kNumbers = 2000;
constexpr std::size_t kPiece = 512;  // what a lookup reads at a time
constexpr std::size_t kReadWhole = 64 * 1024;  // files up to this are read whole when opened

void write_file(const std::string& path, const std::vector<char>& bytes, std::ios::openmode mode = {}) {
  std::ofstream(path, std::ios::binary | std::ios::out | mode)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Each message answers its translation or none, never foreign bytes. How many answered.
int answered(const nlsLoadedDomain& domain) {
  int right = 0;
  for (int n = 0; n < kNumbers; ++n) {
    const std::string key = original(n);
    const char* got = domain.find(key.c_str());
    if (got == nullptr) continue;
    EXPECT_EQ(got, translation(n)) << key;
    ++right;
  }
  return right;
}

// The first message whose translation's descriptor crosses a piece boundary, and that boundary.
std::pair<int, std::size_t> crossing(const std::vector<char>& mo) {
  const std::size_t table = word(mo, 16);
  for (int n = 0; n < kNumbers; ++n) {
    const std::size_t at = table + 8 * std::size_t(n + 1);  // entry 0 is the header
    if (at / kPiece != (at + 7) / kPiece) return {n, (at + 7) / kPiece * kPiece};
  }
  return {-1, 0};
}

// The file answers only what it held when opened.
TEST(FileChangedAfterOpening, AnswersWhatItHeldOrNone) {
  set_language();
  for (const char* kind : {"numbers", "numbers_nohash"}) {
    const std::vector<char> old_file = read(kind);
    const std::vector<char> one_more = read((std::string(kind) == "numbers" ? "numbers_plus" : "numbers_plus_nohash"));
    ASSERT_GT(old_file.size(), kReadWhole);
    const auto [crossing_message, crossing_at] = crossing(old_file);
    const std::size_t boundary = crossing_at;  // captured below
    ASSERT_GE(crossing_message, 0);
    std::vector<char> same_size = old_file;  // every translation changed, not one byte more
    for (std::size_t at = 0; at + 7 <= same_size.size(); ++at)
      if (std::memcmp(&same_size[at], "Meldung", 7) == 0) std::memcpy(&same_size[at], "MELDUNG", 7);
    std::vector<int> up_to_crossing(static_cast<std::size_t>(crossing_message));
    std::iota(up_to_crossing.begin(), up_to_crossing.end(), 0);
    const struct {
      const char* label;
      std::vector<int> before;  // looked up before the change
      std::function<void(const std::string& path)> change;
    } changes[] = {
        {"rewritten in place, one message more", {42},
         [&](const std::string& path) { write_file(path, one_more, std::ios::trunc); }},
        {"rewritten in place, same size", {42, 1500},
         [&](const std::string& path) { write_file(path, same_size, std::ios::trunc); }},
        // The descriptor's length read before the cut, half its offset not.
        {"cut in the middle of a descriptor's offset", up_to_crossing,
         [&](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), off_t(boundary + 2)), 0); }},
        {"replaced", {42},
         [&](const std::string& path) {
           write_file(path + ".new", one_more);
           ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
         }},
        {"deleted", {42}, [](const std::string& path) { ASSERT_EQ(std::remove(path.c_str()), 0); }},
    };
    for (const auto& c : changes) {
      SCOPED_TRACE(std::string(kind) + ": " + c.label);
      const TempDirectory dir("de", "numbers", old_file);
      const std::string path = dir.path() + "/de/LC_MESSAGES/numbers.mo";
      // Older than any change, whatever the clock's resolution.
      const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
      ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), past, 0), 0);
      const auto domain = nlsLoadedDomain::from_file(path.c_str());
      ASSERT_NE(domain, nullptr);
      for (int n : c.before) ASSERT_EQ(domain->find(original(n).c_str()), translation(n));
      c.change(path);
      const int right = answered(*domain);
      // What was read before the change still answers.
      for (int n : c.before) EXPECT_EQ(domain->find(original(n).c_str()), translation(n));
      EXPECT_GE(right, static_cast<int>(c.before.size()));
      // The change was seen (a replaced or deleted file may still be read through an old descriptor).
      if (std::string(c.label) != "replaced" && std::string(c.label) != "deleted") { EXPECT_LT(right, kNumbers); }
    }
  }
}

// Every range handed out keeps its bytes where `read` finds them, while
// later runs overlap it and the store fills until the file is read whole.
TEST(FileImage, RangesStayWhereTheyWereRead) {
  std::vector<char> bytes(300 * 1024);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
  const TempDirectory dir("de", "bytes", bytes);
  const std::string path = dir.path() + "/de/LC_MESSAGES/bytes.mo";
  nlsOpenProblem failure;
  nlsOpenedFile opened(path.c_str(), &failure);
  ASSERT_TRUE(opened.ok()) << failure.problem;
  const auto image = nlsFileImage::load(opened, path.c_str(), &failure);
  ASSERT_NE(image, nullptr) << failure.problem;
  struct Given {
    std::uint64_t offset, length;
    const char* at;
  };
  std::vector<Given> given;
  const auto take = [&](std::uint64_t offset, std::uint64_t length) {
    const char* at = image->at(offset, length);
    ASSERT_NE(at, nullptr) << offset;
    given.push_back({offset, length, at});
    for (const Given& g : given) {
      ASSERT_EQ(std::memcmp(g.at, &bytes[g.offset], g.length), 0) << g.offset << " after " << offset;
      ASSERT_EQ(std::memcmp(image->read(g.offset), &bytes[g.offset], g.length), 0) << g.offset << " after " << offset;
    }
  };
  // Inside the first piece, across a boundary from an unread piece, the
  // same piece further on, over pieces some of which were read, backwards.
  for (const auto& [offset, length] : std::initializer_list<std::pair<std::uint64_t, std::uint64_t>>{
           {0, 28}, {1020, 8}, {1000, 30}, {1500, 2000}, {511, 2}, {900, 3000}, {4000, 200}, {1023, 1}})
    take(offset, length);
  // Scattered until the store is full: the rest is read whole, once.
  for (std::uint64_t offset = 7; offset + 100 < bytes.size(); offset += 700) take(offset, 100);
  const std::uint64_t reads = nlsFileImage::pieces_read();
  take(bytes.size() - 50, 50);
  take(123457, 10000);
  EXPECT_EQ(nlsFileImage::pieces_read(), reads);
}

TEST(FileChangedAfterOpening, ExplainSaysSo) {
  const TempDirectory dir("de", "numbers", read("numbers"));
  keznlsTranslatorWithDatabases translator(dir.path().c_str(), "de");
  EXPECT_STREQ(translator.translate("numbers", "message number 0042").c_str(), "Meldung Nummer 0042");
  ASSERT_EQ(::truncate((dir.path() + "/de/LC_MESSAGES/numbers.mo").c_str(), 0), 0);
  EXPECT_STREQ(translator.translate("numbers", "message number 1999").c_str(), "message number 1999");
  EXPECT_THAT(translator.explain("numbers").c_str(),
              HasSubstr("loaded, 2000 messages, changed on disk since it was loaded"));
}

// Hoards the process's descriptors until none is left; gives them back when it goes.
struct Hoard {
  Hoard() {
    for (int fd; (fd = ::dup(0)) >= 0;) held.push_back(fd);
  }
  ~Hoard() { give_back(); }
  void give_back() {
    for (int fd : held) ::close(fd);
    held.clear();
  }
  std::vector<int> held;
};

TEST(Descriptors, ALoadThatRanOutIsTriedAgain) {
  const TempDirectory dir("de", "demo", read("demo"));
  dir.add("fr", "demo", read("demo"));
  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = std::min(low.rlim_max, static_cast<rlim_t>(open_descriptors() + 32));
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
  {
    // Made first: with no descriptor left, the sanitizers' type checks would fail.
    keznlsTranslatorWithDatabases translator(dir.path().c_str(), "de:fr");
    Hoard hoard;
    ASSERT_FALSE(hoard.held.empty());
    EXPECT_STREQ(translator.translate("demo", "Hello").c_str(), "Hello");
    const std::string why = translator.explain("demo").c_str();
    hoard.give_back();  // before a matcher: the sanitizers' vptr check needs a descriptor
    EXPECT_THAT(why, HasSubstr("de/LC_MESSAGES/demo.mo: unreadable now: Too many open files"));
    EXPECT_STREQ(translator.translate("demo", "Hello").c_str(), "Hallo");
    EXPECT_THAT(translator.explain("demo").c_str(), HasSubstr("de/LC_MESSAGES/demo.mo: loaded"));
  }
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
}

TEST(Descriptors, APieceThatCouldNotBeReadIsReadLater) {
  const TempDirectory dir("de", "numbers", read("numbers"));
  const auto domain = nlsLoadedDomain::from_file((dir.path() + "/de/LC_MESSAGES/numbers.mo").c_str());
  ASSERT_NE(domain, nullptr);
  // Other files read in pieces take the descriptors kept between reads.
  std::vector<std::shared_ptr<const nlsLoadedDomain>> others;
  for (int i = 0; i < 8; ++i) {
    dir.add("de", ("other" + std::to_string(i)).c_str(), read("numbers"));
    others.push_back(nlsLoadedDomain::from_file((dir.path() + "/de/LC_MESSAGES/other" + std::to_string(i) + ".mo").c_str()));
    ASSERT_STREQ(others.back()->translate("message number 0001"), "Meldung Nummer 0001");
  }
  rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit none = saved;
  none.rlim_cur = 3;  // below what is open: no open() succeeds
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
  const char* starved = domain->find("message number 1234");
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_EQ(starved, nullptr);
  EXPECT_STREQ(domain->translate("message number 1234"), "Meldung Nummer 1234");
}

TEST(NotRegularFiles, AreRefusedWithoutBlocking) {
  const TempDirectory dir("de", "demo", read("demo"));
  const auto place = [&](const char* language) {
    const std::string folder = dir.path() + "/" + language + "/LC_MESSAGES";
    std::filesystem::create_directories(folder);
    return folder + "/demo.mo";
  };
  ASSERT_EQ(::mkfifo(place("fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", place("device"));
  auto work = std::async(std::launch::async, [&] {
    keznlsTranslatorWithDatabases translator(dir.path().c_str(), "fifo:device:de");
    return std::string(translator.translate("demo", "Hello").c_str()) + "\n" + translator.explain("demo").c_str();
  });
  if (work.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    ADD_FAILURE() << "opening a catalogue blocks";
    std::_Exit(1);  // the blocked thread cannot be joined
  }
  const std::string got = work.get();
  EXPECT_EQ(got.substr(0, got.find('\n')), "Hallo");
  for (const char* language : {"fifo", "device"})
    EXPECT_THAT(got, HasSubstr(std::string(language) + "/LC_MESSAGES/demo.mo: not a regular file"));
}

}  // namespace
