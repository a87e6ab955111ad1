#include <cstdarg>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "keznls/output.h"

namespace {

// Translates one message into German with its arguments reordered.
struct Reordering : keznlsTranslator {
  utString translate(const char* name, const char* text) override {
    calls.push_back(std::string(name) + ":" + text);
    return std::string(text) == "%s has %d files" ? utString("%2$d Dateien in %1$s") : utString(text);
  }
  std::vector<std::string> calls;
};

struct Recording : keznlsDisplayer {
  void display(const char* text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

utString call_vtsprintf(const kezabsOutput& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  utString result = out.vtsprintf("db", format, args);
  va_end(args);
  return result;
}

// Both front ends translate (name first), format the translated text and
// display; neither deletes a role it borrowed (the roles live on the stack,
// where a delete aborts).
TEST(FrontEnds, FormatTheTranslatedTextWithBorrowedRoles) {
  Reordering translator;
  keznlsFormatterDefault formatter;
  Recording displayer;
  keznlsHelper helper(&translator, &formatter, &displayer);
  keznlsConnector connector(&translator, &formatter, &displayer);
  for (kezabsOutput* out : {static_cast<kezabsOutput*>(&helper), static_cast<kezabsOutput*>(&connector)}) {
    out->tprintf("files", "%s has %d files", "/home", 12);
    EXPECT_STREQ(call_vtsprintf(*out, "%s has %d files", "/tmp", 3).c_str(), "3 Dateien in /tmp");
  }
  EXPECT_EQ(displayer.shown, (std::vector<std::string>(2, "12 Dateien in /home")));
  EXPECT_EQ(translator.calls.front(), "files:%s has %d files");
  EXPECT_STREQ(keznlsTranslatorAndFormatter(&translator, &formatter).stprintf("db", "%d%%", 50).c_str(), "50%");
}

template <class FrontEnd>
struct Overridden : FrontEnd {
  using FrontEnd::FrontEnd;
  utString vtsprintf(const char*, const char*, va_list) const override { return utString("overridden"); }
};

// The connector displays what its own vtsprintf returns; the helper calls
// its roles directly.
TEST(FrontEnds, OnlyTheConnectorDisplaysItsVtsprintf) {
  keznlsTranslatorDefault translator;
  keznlsFormatterDefault formatter;
  Recording displayer;
  Overridden<keznlsConnector>(&translator, &formatter, &displayer).tprintf("db", "n=%d", 1);
  Overridden<keznlsHelper>(&translator, &formatter, &displayer).tprintf("db", "n=%d", 2);
  EXPECT_EQ(displayer.shown, (std::vector<std::string>{"overridden", "n=2"}));
}

TEST(OutputOstream, WritesWholeMessagesWithoutTranslationOrFlush) {
  for (int length : {3, 1023, 1024, 5000}) {
    std::ostringstream stream;
    kezabsOutputOstream out(&stream);
    const std::string body(static_cast<std::size_t>(length - 2), 'z');
    out.tprintf(nullptr, "<%s>", body.c_str());
    EXPECT_EQ(stream.str(), "<" + body + ">") << "length " << length;
    EXPECT_EQ(std::string(call_vtsprintf(out, "<%s>", body.c_str()).c_str()), "<" + body + ">");
  }
  keznlsOutputToNowhere nowhere;
  nowhere.tprintf("db", "%s %s %d %f");  // no arguments given: none may be read
  EXPECT_EQ(call_vtsprintf(nowhere, "%s %d") == utString(), 1);
}

}  // namespace
