#include <cstdarg>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "keznls/output.h"

namespace {

// Translates by a fixed table, recording every call; counts its destruction.
class TableTranslator : public keznlsTranslator {
 public:
  explicit TableTranslator(int* destroyed = nullptr) : destroyed_(destroyed) {}
  ~TableTranslator() override {
    if (destroyed_ != nullptr) ++*destroyed_;
  }
  utString translate(const char* name, const char* text) override {
    calls.push_back(std::string(name) + ":" + text);
    if (std::string(text) == "%s has %d files") return utString("%2$d Dateien in %1$s");
    if (std::string(text) == "hello %d") return utString("hallo %d");
    return utString(text);
  }
  std::vector<std::string> calls;

 private:
  int* destroyed_;
};

class CountedFormatter : public keznlsFormatterDefault {
 public:
  explicit CountedFormatter(int* destroyed) : destroyed_(destroyed) {}
  ~CountedFormatter() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

class RecordingDisplayer : public keznlsDisplayer {
 public:
  explicit RecordingDisplayer(int* destroyed = nullptr) : destroyed_(destroyed) {}
  ~RecordingDisplayer() override {
    if (destroyed_ != nullptr) ++*destroyed_;
  }
  void display(const char* text) override { shown.push_back(text); }
  std::vector<std::string> shown;

 private:
  int* destroyed_;
};

utString call_vtsprintf(const kezabsOutput& out, const char* name, const char* format, ...) {
  va_list args;
  va_start(args, format);
  utString result = out.vtsprintf(name, format, args);
  va_end(args);
  return result;
}

// Both front ends must chain translate (name first), format the translated
// text, and display, with identical results.
TEST(FrontEnds, FormatTheTranslatedText) {
  TableTranslator translator;
  keznlsFormatterDefault formatter;
  RecordingDisplayer displayer;
  keznlsHelper helper(&translator, &formatter, &displayer);
  keznlsConnector connector(&translator, &formatter, &displayer);

  for (kezabsOutput* out : {static_cast<kezabsOutput*>(&helper),
                            static_cast<kezabsOutput*>(&connector)}) {
    translator.calls.clear();
    displayer.shown.clear();
    out->tprintf("files", "%s has %d files", "/home", 12);
    out->tprintf("greet", "hello %d", 7);
    EXPECT_EQ(displayer.shown, (std::vector<std::string>{"12 Dateien in /home", "hallo 7"}));
    EXPECT_EQ(translator.calls,
              (std::vector<std::string>{"files:%s has %d files", "greet:hello %d"}));

    EXPECT_STREQ(call_vtsprintf(*out, "greet", "hello %d", 9).c_str(), "hallo 9");
    EXPECT_EQ(displayer.shown.size(), 2u) << "vtsprintf displays nothing";
  }
}

TEST(FrontEnds, BorrowTheirRoles) {
  int translators = 0, formatters = 0, displayers = 0;
  auto* translator = new TableTranslator(&translators);
  auto* formatter = new CountedFormatter(&formatters);
  auto* displayer = new RecordingDisplayer(&displayers);
  delete new keznlsHelper(translator, formatter, displayer);
  delete new keznlsConnector(translator, formatter, displayer);
  EXPECT_EQ(translators + formatters + displayers, 0);

  keznlsConnector survivor(translator, formatter, displayer);
  survivor.tprintf("x", "hello %d", 1);
  EXPECT_EQ(displayer->shown, std::vector<std::string>{"hallo 1"});
  delete translator;
  delete formatter;
  delete displayer;
  EXPECT_EQ(translators + formatters + displayers, 3);
}

// The connector displays what its own vtsprintf returns; the helper does not
// go through vtsprintf.
TEST(FrontEnds, OnlyTheConnectorDisplaysItsVtsprintf) {
  keznlsTranslatorDefault translator;
  keznlsFormatterDefault formatter;
  RecordingDisplayer displayer;
  struct Connector : keznlsConnector {
    using keznlsConnector::keznlsConnector;
    utString vtsprintf(const char*, const char*, va_list) const override {
      return utString("overridden");
    }
  } connector(&translator, &formatter, &displayer);
  struct Helper : keznlsHelper {
    using keznlsHelper::keznlsHelper;
    utString vtsprintf(const char*, const char*, va_list) const override {
      return utString("overridden");
    }
  } helper(&translator, &formatter, &displayer);
  connector.tprintf("db", "n=%d", 1);
  helper.tprintf("db", "n=%d", 2);
  EXPECT_EQ(displayer.shown, (std::vector<std::string>{"overridden", "n=2"}));
}

TEST(TranslatorAndFormatter, TranslatesThenFormats) {
  TableTranslator translator;
  keznlsFormatterDefault formatter;
  keznlsTranslatorAndFormatter pair(&translator, &formatter);
  EXPECT_STREQ(pair.stprintf("db", "hello %d", 3).c_str(), "hallo 3");
  EXPECT_STREQ(pair.stprintf("db", "%d%%", 50).c_str(), "50%");
}

TEST(OutputOstream, WritesWholeMessagesWithoutTranslationOrFlush) {
  std::ostringstream stream;
  kezabsOutputOstream out(&stream);
  out.tprintf("ignored", "%s=%d;", "a", 1);
  out.tprintf(nullptr, "%s=%d", "b", 2);
  EXPECT_EQ(stream.str(), "a=1;b=2");

  for (int length : {1023, 1024, 1025, 5000}) {
    std::ostringstream big;
    kezabsOutputOstream big_out(&big);
    const std::string body(static_cast<std::size_t>(length - 2), 'z');
    big_out.tprintf("db", "<%s>", body.c_str());
    EXPECT_EQ(big.str(), "<" + body + ">") << "length " << length;
    EXPECT_EQ(std::string(call_vtsprintf(big_out, "db", "<%s>", body.c_str()).c_str()),
              "<" + body + ">");
  }
}

TEST(OutputToNowhere, ReadsNothingAndReturnsTheDefaultString) {
  keznlsOutputToNowhere out;
  out.tprintf("db", "%s %s %d %f");  // no arguments given: none may be read
  const utString result = call_vtsprintf(out, "db", "%s %d");
  EXPECT_EQ(result == utString(), 1);
}

}  // namespace
