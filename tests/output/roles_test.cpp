#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/counting_buf.h"
#include "keznls/roles.h"
#include "support/alloc_counter.h"

namespace {

// Sends standard output to a temporary file while alive; `written()` reads
// the file through its own descriptor, so it sees only what was flushed.
class StdoutCapture {
 public:
  StdoutCapture() {
    std::fflush(stdout);
    char name[] = "/tmp/keznls-stdout-XXXXXX";
    fd_ = mkstemp(name);
    path_ = name;
    saved_ = dup(STDOUT_FILENO);
    dup2(fd_, STDOUT_FILENO);
  }
  ~StdoutCapture() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
    close(fd_);
    unlink(path_.c_str());
  }
  std::string written() const {
    std::string text;
    char chunk[256];
    ssize_t n;
    lseek(fd_, 0, SEEK_SET);
    while ((n = read(fd_, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<size_t>(n));
    return text;
  }

 private:
  int fd_;
  int saved_;
  std::string path_;
};

TEST(TranslatorDefault, ReturnsAnIndependentCopyForAnyName) {
  keznlsTranslatorDefault translator;
  std::string text = "Disk %s is full";
  for (const char* name : {"app", "", static_cast<const char*>(nullptr)}) {
    utString result = translator.translate(name, text.c_str());
    text[0] = 'X';
    EXPECT_STREQ(result.c_str(), "Disk %s is full");
    text[0] = 'D';
  }
}

TEST(FormatterDefault, FormatsInOneAttemptPerDoubling) {
  struct Case {
    int length;
    std::vector<std::size_t> buffers;
  } cases[] = {
      {0, {4192}},
      {4191, {4192}},
      {4192, {4192, 8384}},
      {10000, {4192, 8384, 16768}},
  };
  keznlsFormatterDefault formatter;
  for (const Case& c : cases) {
    const std::string fill(static_cast<std::size_t>(c.length), 'a');
    std::vector<std::size_t> buffers;
    utString result;
    {
      alloc_counter::Scope scope;
      result = formatter.format("%s", fill.c_str());
      for (std::size_t size : scope.sizes())
        if (size >= 4192) buffers.push_back(size);
    }
    EXPECT_EQ(buffers, c.buffers) << "length " << c.length;
    EXPECT_EQ(std::string(result.c_str()), fill);
  }
}

TEST(FormatterDefault, ReadsTheArgumentsAfreshOnEveryAttempt) {
  keznlsFormatterDefault formatter;
  const std::string big(5000, 'b');
  utString result = formatter.format("%d|%s|%.2f|%s", 42, big.c_str(), 2.5, "end");
  EXPECT_EQ(std::string(result.c_str()), "42|" + big + "|2.50|end");
}

TEST(FormatterDefault, FormatUsesTheDerivedVformat) {
  struct Shouting : keznlsFormatterDefault {
    utString vformat(const char*, va_list) override { return utString("override"); }
  } formatter;
  EXPECT_STREQ(formatter.format("%d", 1).c_str(), "override");
}

TEST(DisplayerDefault, PrintsTheTextUnchangedAndFlushes) {
  StdoutCapture capture;
  keznlsDisplayerDefault displayer;
  displayer.display("100% sure %d");
  EXPECT_EQ(capture.written(), "100% sure %d");  // flushed: visible to another descriptor
  displayer.display("");
  displayer.display("next");
  EXPECT_EQ(capture.written(), "100% sure %dnext");
}

TEST(DisplayerOstream, AppendsWithoutSeparatorOrFlush) {
  CountingBuf buf;
  std::ostream stream(&buf);
  keznlsDisplayerOstream displayer(stream);
  displayer.display("one");
  displayer.display("two %s");
  EXPECT_EQ(buf.str(), "onetwo %s");
  EXPECT_EQ(buf.syncs, 0);
}

}  // namespace
