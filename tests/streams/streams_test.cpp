#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "catalogue_files.h"
#include "keznls/library_nls.h"
#include "keznls/streams.h"
#include "support/alloc_counter.h"
#include "support/counting_buf.h"

namespace {

struct RecordingStream : keznlsBaseStream {
  const keznlsBaseStream& operator<<(const char* text) const override { return writes.emplace_back(text), *this; }
  mutable std::vector<std::string> writes;
};

TEST(OstreamTest, WritesExactlyFlushesEachTextAndHonoursTheWidth) {
  CountingBuf buf;
  std::ostream out(&buf);
  keznlsOstream stream(&out);
  EXPECT_EQ(&(stream << "one"), &stream);
  stream << "" << " two\n";
  EXPECT_EQ(buf.str(), "one two\n");
  EXPECT_EQ(buf.syncs, 3);
  out.width(5);
  out.fill('.');
  stream << "ab" << "cd";
  EXPECT_EQ(buf.str(), "one two\n...abcd");
}

TEST(MultiStreamTest, DeliversEachTextOnceToEveryMember) {
  RecordingStream first, second;
  keznlsMultiStream multi;
  multi << "before any member";
  multi.add_output_stream(&first);
  multi.add_output_stream(&second);
  multi.add_output_stream(&first);
  EXPECT_EQ(&(multi << "hello"), &multi);
  multi.remove_output_stream(&first);
  multi << "again";
  EXPECT_EQ(first.writes, std::vector<std::string>{"hello"}) << "once, and nothing after removal";
  EXPECT_EQ(second.writes, (std::vector<std::string>{"hello", "again"}));
}

// Allocates nothing, so allocation counts show the output path alone.
struct QuietStream : keznlsBaseStream {
  QuietStream() { last.reserve(8192); }
  const keznlsBaseStream& operator<<(const char* text) const override { return last.assign(text), ++writes, *this; }
  mutable std::string last;
  mutable int writes = 0;
};

void through_val(keznlsLibraryNls& nls, bool error, const char* format, ...) {
  va_list args;
  va_start(args, format);
  error ? nls.output_error_val(format, args) : nls.output_val(format, args);
  va_end(args);
}

TEST(LibraryNlsTest, EachFormGoesToItsOwnStreamOrNowhere) {
  RecordingStream normal, error;
  keznlsLibraryNls silent, nls;
  nls.stream(&normal);
  nls.error_stream(&error);
  int anything = 0;
  EXPECT_EQ(&(nls << 'c' << 1 << 2u << 3.5 << static_cast<void*>(&anything) << "text"), &nls);
  nls.output("%ls", L"\u20ac");  // the "C" locale cannot encode it, so nothing is written
  for (keznlsLibraryNls* n : {&silent, &nls}) {
    n->output("%5.2f|%-4s|%x|%c|%%|%lld", 3.14159, "ab", 255u, 'z', -12345678901LL);
    through_val(*n, false, "%5.2f|%-4s|%x|%c|%%|%lld", 3.14159, "ab", 255u, 'z', -12345678901LL);
    n->output_error("%s=%d", "x", 7);
    through_val(*n, true, "%s=%d", "x", 8);
  }
  const std::string line = " 3.14|ab  |ff|z|%|-12345678901";
  EXPECT_EQ(normal.writes, (std::vector<std::string>{line, line}));
  EXPECT_EQ(error.writes, (std::vector<std::string>{"x=7", "x=8"}));
}

TEST(LibraryNlsTest, TextsUpToTheBufferSizeNeedNoHeap) {
  for (const int length : {1023, 1024, 5000}) {
    // The last character differs, so a cut text shows.
    const std::string text = std::string(static_cast<std::size_t>(length) - 1, 'a') + "b";
    QuietStream sink;
    keznlsLibraryNls nls;
    nls.stream(&sink);
    nls.output("%s", "warm-up");
    alloc_counter::Scope scope;
    nls.output("%s", text.c_str());
    if (length < 1024) { EXPECT_EQ(scope.count(), 0) << length; }
    EXPECT_EQ(sink.writes, 2);
    EXPECT_EQ(sink.last, text);
  }
}

TEST(LibraryNlsTest, DatabaseTranslatesTheFormatUntilReplaced) {
  test_catalogues::set_language("LANG", "de");  // read when a database is opened
  const std::string first = test_catalogues::directory("first");
  RecordingStream sink;
  keznlsLibraryNls nls;
  nls.stream(&sink);
  nls.output("Disk %s is full", "C:");
  nls.nls_data_base(first.c_str(), "no_such_domain");
  nls.output("Language");
  nls.nls_data_base(first.c_str(), "demo");
  nls.output("%d entries in %s", 3, "/tmp");
  ::setenv("LANGUAGE", "fr", 1);
  nls.nls_data_base(first.c_str(), "demo");
  nls.output("Language");
  EXPECT_EQ(sink.writes,
            (std::vector<std::string>{"Disk C: is full", "Language", "/tmp: 3 Eintr\xC3\xA4ge", "Fran\xC3\xA7" "ais"}));
}

}  // namespace
