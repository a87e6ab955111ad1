#include <cstdarg>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "keznls/output.h"
#include "support/counting_buf.h"
#include "support/unchecked.h"

namespace {

// Translates one message of the "files" database into German with its
// arguments reordered: a front end that passes the name and text in the wrong
// order gets the message untranslated.
struct Reordering : keznlsTranslator {
  utString translate(const char* name, const char* text) override {
    const bool known = std::string(name) == "files" && std::string(text) == "%s has %d files";
    return known ? utString("%2$d Dateien in %1$s") : utString(text);
  }
};

utString call_vtsprintf(const kezabsOutput& out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  utString result = out.vtsprintf("files", format, args);
  va_end(args);
  return result;
}

template <class FrontEnd>
struct Overridden : FrontEnd {
  using FrontEnd::FrontEnd;
  utString vtsprintf(const char*, const char*, va_list) const override { return utString("overridden"); }
};

// Both front ends translate, format the translated text and display it, here
// through an ostream displayer, which adds nothing and never flushes; neither
// deletes a role it borrowed (the roles live on the stack, where a delete
// aborts). Only the connector displays what its own, possibly overridden,
// vtsprintf returns.
TEST(FrontEnds, FormatTheTranslatedTextWithBorrowedRoles) {
  Reordering translator;
  keznlsFormatterDefault formatter;
  CountingBuf buf;
  std::ostream stream(&buf);
  keznlsDisplayerOstream displayer(stream);
  keznlsHelper helper(&translator, &formatter, &displayer);
  keznlsConnector connector(&translator, &formatter, &displayer);
  for (kezabsOutput* out : {static_cast<kezabsOutput*>(&helper), static_cast<kezabsOutput*>(&connector)}) {
    out->tprintf("files", "%s has %d files", "/home", 12);
    EXPECT_STREQ(call_vtsprintf(*out, "%s has %d files", "/tmp", 3).c_str(), "3 Dateien in /tmp");
  }
  EXPECT_STREQ(keznlsTranslatorAndFormatter(&translator, &formatter).stprintf("db", "%d%%", 50).c_str(), "50%");
  Overridden<keznlsConnector>(&translator, &formatter, &displayer).tprintf("db", "n=%d", 1);
  Overridden<keznlsHelper>(&translator, &formatter, &displayer).tprintf("db", "n=%d", 2);
  EXPECT_EQ(buf.str(), "12 Dateien in /home12 Dateien in /homeoverriddenn=2");
  EXPECT_EQ(buf.syncs, 0);
}

// The stack buffer holds 1023 characters and the NUL; longer texts are
// formatted again, whole, on the heap.
TEST(OutputOstream, WritesWholeMessagesOnEitherSideOfItsBuffer) {
  for (int length : {1023, 1024}) {
    std::ostringstream stream;
    kezabsOutputOstream out(&stream);
    const std::string body(static_cast<std::size_t>(length - 2), 'z');
    out.tprintf(nullptr, "<%s>", body.c_str());
    EXPECT_EQ(stream.str(), "<" + body + ">") << "length " << length;
  }
  keznlsOutputToNowhere nowhere;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
  nowhere.tprintf("db", unchecked("%s %s %d %f"));  // no arguments given: none may be read
#pragma GCC diagnostic pop
  EXPECT_EQ(call_vtsprintf(nowhere, "%s %d") == utString(), 1);
}

}  // namespace
