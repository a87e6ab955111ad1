#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "keznls/roles.h"
#include "support/alloc_counter.h"
#include "support/counting_buf.h"

namespace {

TEST(FormatterDefault, DoublesItsBufferAndRereadsTheArguments) {
  const struct { int length; std::vector<std::size_t> buffers; } cases[] = {
      {0, {4192}}, {4190, {4192}}, {4191, {4192, 8384}}, {9999, {4192, 8384, 16768}}};
  keznlsFormatterDefault formatter;
  for (const auto& c : cases) {
    const std::string fill(static_cast<std::size_t>(c.length), 'a');
    std::vector<std::size_t> buffers;
    utString result;
    {
      alloc_counter::Scope scope;
      result = formatter.format("%s%d", fill.c_str(), 7);  // 7 after the fill: a second
      for (std::size_t size : scope.sizes())            // attempt must read it again
        if (size >= 4192) buffers.push_back(size);
    }
    EXPECT_EQ(buffers, c.buffers) << "length " << c.length;
    EXPECT_EQ(std::string(result.c_str()), fill + "7");
  }
  struct : keznlsFormatterDefault {
    utString vformat(const char*, va_list) override { return utString("override"); }
  } derived;
  EXPECT_STREQ(derived.format("%d", 1).c_str(), "override");
}

TEST(Displayers, WriteTheTextUnchangedAndFlushOnlyStandardOutput) {
  // Standard output goes to a file read through its own descriptor, which
  // sees only what was flushed.
  std::fflush(stdout);
  std::FILE* file = std::tmpfile();
  const int saved = dup(STDOUT_FILENO);
  dup2(fileno(file), STDOUT_FILENO);
  keznlsDisplayerDefault screen;
  screen.display("100% sure %d");
  screen.display("");
  char seen[64] = {};
  const ssize_t n = pread(fileno(file), seen, sizeof seen - 1, 0);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  std::fclose(file);
  EXPECT_EQ(std::string(seen, n > 0 ? static_cast<std::size_t>(n) : 0), "100% sure %d");

  CountingBuf buf;
  std::ostream stream(&buf);
  keznlsDisplayerOstream displayer(stream);
  displayer.display("one");
  displayer.display("two %s");
  EXPECT_EQ(buf.str(), "onetwo %s");
  EXPECT_EQ(buf.syncs, 0);

  std::string text = "Disk %s is full";  // the default translator copies
  const utString copy = keznlsTranslatorDefault().translate(nullptr, text.c_str());
  text[0] = 'X';
  EXPECT_STREQ(copy.c_str(), "Disk %s is full");
}

}  // namespace
