#include <cstdarg>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "keznls/output.h"
#include "support/counting_buf.h"
#include "support/unchecked.h"

namespace {

// A front end that passes name and text in the wrong order gets it untranslated.
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

// Only the connector displays what its own, possibly overridden, vtsprintf returns.
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

// Names the call and what it was given, so a wrongly routed call shows.
struct Naming : keznlsTranslator {
  utString translate(const char* name, const char* text) override { return said("plain", name, "", text, 0); }
  utString translate_plural(const char* name, const char* singular, const char*, unsigned long n) override {
    return said("plural", name, "", singular, n);
  }
  utString translate_in_context(const char* name, const char* context, const char* text) override {
    return said("context", name, context, text, 0);
  }
  utString translate_plural_in_context(const char* name, const char* context, const char* singular,
                                       const char*, unsigned long n) override {
    return said("both", name, context, singular, n);
  }
  static utString said(const char* call, const char* name, const char* context, const char* text, unsigned long n) {
    return (std::string(call) + "(" + name + "," + context + "," + text + "," + std::to_string(n) + ")").c_str();
  }
};

// Without a translator: the original text, singular for 1, plural otherwise.
TEST(FrontEnds, PluralAndContextCallsReachTheirTranslatorCall) {
  Naming naming;
  keznlsFormatterDefault formatter;
  std::ostringstream stream;
  keznlsDisplayerOstream displayer(stream);
  keznlsHelper helper(&naming, &formatter, &displayer);
  keznlsConnector connector(&naming, &formatter, &displayer);
  // The translator's answer is the format: its conversions take the arguments.
  const std::string expected = "plural(db,,2 file,2)context(db,menu,Open x,0)both(db,menu,1 file,1)";
  for (kezabsOutput* out : {static_cast<kezabsOutput*>(&helper), static_cast<kezabsOutput*>(&connector)}) {
    stream.str("");
    out->ntprintf("db", "%d file", "%d files", 2, 2);
    out->ptprintf("db", "menu", "Open %s", "x");
    out->nptprintf("db", "menu", "%d file", "%d files", 1, 1);
    EXPECT_EQ(stream.str(), expected);
  }
  // A derived helper's own argument-list calls are the ones asked.
  struct Marking : keznlsHelper {
    using keznlsHelper::keznlsHelper;
    void vtprintf(const char*, const char* format, va_list) override { marks += std::string("t:") + format; }
    void vmessage(const keznlsMessage& m, va_list) override { marks += std::string(" m:") + m.text; }
    std::string marks;
  } marking(&naming, &formatter, &displayer);
  marking.tprintf("db", "a");
  marking.ntprintf("db", "b", "bs", 2);
  marking.nptprintf("db", "menu", "c", "cs", 2);
  EXPECT_EQ(marking.marks, "t:a m:b m:c");
  const keznlsTranslatorAndFormatter pair(&naming, &formatter);
  EXPECT_EQ(std::string(pair.nstprintf("db", "%d file", "%d files", 2, 2).c_str()) +
                pair.pstprintf("db", "menu", "Open %s", "x").c_str() +
                pair.npstprintf("db", "menu", "%d file", "%d files", 1, 1).c_str(),
            expected);

  std::ostringstream plain;
  kezabsOutputOstream untranslated(&plain);
  untranslated.ntprintf("db", "one file", "%lu files|", 1, 1ul);
  untranslated.ntprintf("db", "one file", "%lu files|", 0, 0ul);
  untranslated.ptprintf("db", "menu", "Open|");
  untranslated.nptprintf("db", "menu", "%d file|", "%d files|", 1, 1);
  EXPECT_EQ(plain.str(), "one file0 files|Open|1 file|");
}

// The stack buffer holds 1023 characters; longer texts go on the heap.
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
