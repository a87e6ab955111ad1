#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "keznls/library_nls.h"
#include "keznls/streams.h"
#include "streams/set_probe.h"
#include "support/alloc_counter.h"

namespace {

// Remembers the last text without allocating, so allocation counts show the
// output path alone.
class QuietStream : public keznlsBaseStream {
 public:
  QuietStream() { last.reserve(8192); }
  const keznlsBaseStream& operator<<(const char* text) const override {
    last.assign(text);
    ++writes;
    return *this;
  }
  mutable std::string last;
  mutable int writes = 0;
};

// Calls output_val, or output_error_val when `error` is set.
void through_val(keznlsLibraryNls& nls, bool error, const char* format, ...) {
  va_list args;
  va_start(args, format);
  error ? nls.output_error_val(format, args) : nls.output_val(format, args);
  va_end(args);
}

TEST(LibraryNlsTest, EachFormGoesToItsOwnStreamOrNowhere) {
  enum Form { kOutput, kOutputVal, kError, kErrorVal };
  for (const Form form : {kOutput, kOutputVal, kError, kErrorVal}) {
    for (const bool with_streams : {false, true}) {
      RecordingStream normal, error;
      keznlsLibraryNls nls;
      if (with_streams) nls.stream(&normal), nls.error_stream(&error);
      switch (form) {
        case kOutput: nls.output("%s=%d", "x", 5); break;
        case kOutputVal: through_val(nls, false, "%s=%d", "x", 5); break;
        case kError: nls.output_error("%s=%d", "x", 5); break;
        case kErrorVal: through_val(nls, true, "%s=%d", "x", 5); break;
      }
      const bool to_error = form == kError || form == kErrorVal;
      const std::vector<std::string> expected = with_streams ? std::vector<std::string>{"x=5"}
                                                             : std::vector<std::string>{};
      EXPECT_EQ(normal.writes, to_error ? std::vector<std::string>{} : expected) << form;
      EXPECT_EQ(error.writes, to_error ? expected : std::vector<std::string>{}) << form;
    }
  }
}

TEST(LibraryNlsTest, ValueFormMatchesVariadicForm) {
  RecordingStream sink;
  keznlsLibraryNls nls;
  nls.stream(&sink);
  nls.output("%5.2f|%-4s|%x|%c|%%|%lld", 3.14159, "ab", 255u, 'z', -12345678901LL);
  through_val(nls, false, "%5.2f|%-4s|%x|%c|%%|%lld", 3.14159, "ab", 255u, 'z', -12345678901LL);
  ASSERT_EQ(sink.writes.size(), 2u);
  EXPECT_EQ(sink.writes[0], " 3.14|ab  |ff|z|%|-12345678901");
  EXPECT_EQ(sink.writes[1], sink.writes[0]);
}

TEST(LibraryNlsTest, TextsUpToTheBufferSizeNeedNoHeap) {
  struct Case {
    int length;
    int allocations;
  };
  for (const Case c : {Case{0, 0}, Case{1023, 0}, Case{1024, 1}, Case{5000, 1}}) {
    // The last character differs, so a cut text shows.
    const std::string body(static_cast<std::size_t>(c.length > 0 ? c.length - 1 : 0), 'a');
    const char* const tail = c.length > 0 ? "b" : "";
    QuietStream sink;
    keznlsLibraryNls nls;
    nls.stream(&sink);
    nls.output("%s", "warm-up");
    alloc_counter::Scope scope;
    nls.output("%s%s", body.c_str(), tail);
    const int allocations = scope.count();
    const std::vector<std::size_t> sizes = scope.sizes();
    EXPECT_EQ(allocations, c.allocations) << c.length;
    if (c.allocations == 1) {
      ASSERT_EQ(sizes.size(), 1u);
      EXPECT_EQ(sizes[0], static_cast<std::size_t>(c.length) + 1) << "an exact heap buffer";
    }
    EXPECT_EQ(sink.writes, 2);
    EXPECT_EQ(sink.last.size(), static_cast<std::size_t>(c.length));
    if (c.length > 0) {
      EXPECT_EQ(sink.last.back(), 'b');
    }
  }
}

TEST(LibraryNlsTest, UnrenderableTextWritesNothing) {
  RecordingStream sink;
  keznlsLibraryNls nls;
  nls.stream(&sink);
  // The "C" locale cannot encode this wide character.
  nls.output("%ls", L"\u20ac");
  EXPECT_TRUE(sink.writes.empty());
}

TEST(LibraryNlsTest, InsertersDoNothing) {
  RecordingStream sink;
  keznlsLibraryNls nls;
  nls.stream(&sink);
  nls.error_stream(&sink);
  int anything = 0;
  keznlsLibraryNls& result = nls << 'c' << 1 << 2u << 3.5 << static_cast<void*>(&anything) << "text";
  EXPECT_EQ(&result, &nls);
  EXPECT_TRUE(sink.writes.empty());
}

// The catalogue's language comes from the environment; this program's
// other tests do not read it.
class LibraryNlsDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LANGUAGE", "de", 1);
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
    nls.stream(&sink);
  }
  RecordingStream sink;
  keznlsLibraryNls nls;
};

TEST_F(LibraryNlsDatabaseTest, TranslatesTheFormatBeforeFormatting) {
  nls.output("Disk %s is full", "C:");
  nls.nls_data_base(KEZNLS_TEST_CATALOG, "keznls_streams");
  nls.output("%d files in %s\n", 3, "/tmp");
  nls.output("Disk %s is full", "D:");
  nls.output("Untranslated %d", 7);
  EXPECT_EQ(sink.writes, (std::vector<std::string>{"Disk C: is full", "/tmp enthält 3 Dateien\n",
                                                   "Datenträger D: ist voll", "Untranslated 7"}));
}

TEST_F(LibraryNlsDatabaseTest, MissingCatalogueLeavesFormatsUnchanged) {
  nls.nls_data_base(KEZNLS_TEST_CATALOG, "no_such_domain");
  nls.output("Disk %s is full", "E:");
  EXPECT_EQ(sink.writes, std::vector<std::string>{"Disk E: is full"});
}

TEST_F(LibraryNlsDatabaseTest, ReplacingTheDatabaseDestroysTheOldOne) {
  nls.nls_data_base(KEZNLS_TEST_CATALOG, "keznls_streams");
  nls.nls_data_base(KEZNLS_TEST_CATALOG, "keznls_streams_alt");
  {
    // Opening the same catalogue again costs as many blocks as it frees.
    alloc_counter::Scope scope;
    nls.nls_data_base(KEZNLS_TEST_CATALOG, "keznls_streams_alt");
    EXPECT_GT(scope.count(), 0);
    EXPECT_EQ(scope.released(), scope.count());
  }
  nls.output("Disk %s is full", "F:");
  EXPECT_EQ(sink.writes, std::vector<std::string>{"Platte F: voll"});
}

}  // namespace
