#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "keznls/roles.h"
#include "keznls/streams.h"

namespace {

// Every attempt must read the arguments again, so the 7 after the fill shows.
TEST(FormatterDefault, DoublesItsBufferAndRereadsTheArguments) {
  keznlsFormatterDefault formatter;
  for (const int length : {4190, 4191, 9999}) {
    const std::string fill(static_cast<std::size_t>(length), 'a');
    EXPECT_EQ(std::string(formatter.format("%s%d", fill.c_str(), 7).c_str()), fill + "7") << length;
  }
  struct : keznlsFormatterDefault {
    utString vformat(const char*, va_list) override { return utString("override"); }
  } derived;
  EXPECT_STREQ(derived.format("%d", 1).c_str(), "override");
}

TEST(Roles, DefaultDisplayerFlushesTheTextUnchangedAndTranslatorCopies) {
  testing::internal::CaptureStdout();
  keznlsDisplayerDefault screen;
  screen.display("100% sure %d");
  screen.display(nullptr);
  // Written past stdio: it lands after the text only if the text was flushed.
  EXPECT_EQ(write(STDOUT_FILENO, "|", 1), 1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "100% sure %d|");

  std::string text = "Disk %s is full";
  const utString copy = keznlsTranslatorDefault().translate(nullptr, text.c_str());
  text[0] = 'X';
  EXPECT_STREQ(copy.c_str(), "Disk %s is full");
}

// /dev/full: the stream set's other members still get every text. The default displayer's
// failure is keznls-printf's write error (KeznlsPrintf.ReportsAWriteErrorWithStatusOne).
TEST(Roles, OutputThatCannotBeWrittenIsReported) {
  std::ofstream disk;
  disk.rdbuf()->pubsetbuf(nullptr, 0);  // unbuffered: each text is written at once
  disk.open("/dev/full");
  keznlsDisplayerOstream displayer(disk);
  EXPECT_FALSE(displayer.failed());
  displayer.display("lost");
  EXPECT_TRUE(displayer.failed());

  std::ofstream disk2("/dev/full");
  std::ostringstream kept;
  keznlsOstream to_disk(&disk2), to_memory(&kept);
  keznlsMultiStream both;
  both.add_output_stream(&to_disk);
  both.add_output_stream(&to_memory);
  both << "first" << "second";
  EXPECT_TRUE(to_disk.failed());
  EXPECT_FALSE(to_memory.failed());
  EXPECT_TRUE(both.failed());
  EXPECT_EQ(kept.str(), "firstsecond");
}

}  // namespace
