// Language selection: what the environment asks for, and the fallbacks of
// each locale name.
#include "catalogue/language.h"

#include "util/ut_quoted.h"

#include <algorithm>
#include <cstdlib>

namespace nls_language {

namespace {

struct Variable {
  const char* name;
  const char* value;
};

Variable first_set(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return {name, value};
  }
  return {nullptr, nullptr};
}

// "C" and "POSIX", with or without a codeset or modifier, ask for the
// untranslated texts.
bool is_untranslated(const std::string& locale) {
  const std::string language = locale.substr(0, locale.find_first_of(".@"));
  return language == "C" || language == "POSIX";
}

// A name becomes a path component: one that could climb out of the
// catalogue folder is never used.
bool is_safe(const std::string& locale) {
  return locale.find('/') == std::string::npos && locale[0] != '.';
}

void add_unique(std::vector<std::string>* list, std::string name) {
  if (std::find(list->begin(), list->end(), name) == list->end()) list->push_back(std::move(name));
}

}  // namespace

std::string normalised_codeset(const std::string& codeset) {
  // ASCII only, as codeset names are: the program's locale has no say.
  std::string out;
  bool digits_only = true;
  for (const char c : codeset) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      out += static_cast<char>(c | 0x20);
      digits_only = false;
    } else if (c >= '0' && c <= '9') {
      out += c;
    }
  }
  return digits_only ? "iso" + out : out;
}

std::vector<std::string> split_list(const std::string& list) {
  std::vector<std::string> items;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(':', begin);
    if (end == std::string::npos) end = list.size();
    if (end > begin) items.push_back(list.substr(begin, end - begin));
    begin = end + 1;
  }
  return items;
}

std::vector<std::string> forms(const std::string& locale) {
  // ll[_CC][.codeset][@modifier]
  const std::size_t at = locale.find('@');
  const std::string modifier = at == std::string::npos ? "" : locale.substr(at);
  const std::string base = locale.substr(0, at);
  const std::size_t dot = base.find('.');
  const std::string codeset = dot == std::string::npos ? "" : base.substr(dot);
  const std::string language_territory = base.substr(0, dot);
  const std::size_t underscore = language_territory.find('_');
  const std::string language = language_territory.substr(0, underscore);
  const std::string territory = underscore == std::string::npos ? "" : language_territory.substr(underscore);
  const std::string normalised = codeset.size() > 1 ? "." + normalised_codeset(codeset.substr(1)) : "";

  // Every combination of the parts present, with the modifier weighing
  // most, then the territory, then the codeset (as written, then
  // normalised); the bare language last.
  std::vector<std::string> result;
  for (const std::string* mod : {&modifier, static_cast<const std::string*>(nullptr)}) {
    if (mod != nullptr && mod->empty()) continue;
    const std::string m = mod != nullptr ? *mod : "";
    for (const std::string* terr : {&territory, static_cast<const std::string*>(nullptr)}) {
      if (terr != nullptr && terr->empty()) continue;
      const std::string t = terr != nullptr ? *terr : "";
      if (!codeset.empty()) add_unique(&result, language + t + codeset + m);
      if (!normalised.empty()) add_unique(&result, language + t + normalised + m);
      add_unique(&result, language + t + m);
    }
  }
  return result;
}

namespace {

// The folders of a `:` list's names, read as LANGUAGE is; `from` names the
// list in notes. A name in `source` (empty: none) is what the originals are
// written in: only its regional or modified forms may hold catalogues worth
// reading, and nothing after it is.
void add_list(const std::string& list, const std::string& from, const std::string& source, Choice* choice) {
  for (const std::string& name : split_list(list)) {
    if (is_untranslated(name)) {
      choice->notes.push_back("stopped: " + ut_quoted(name) + " in " + from + " ends the list");
      break;
    }
    if (!is_safe(name)) {
      choice->notes.push_back("skipped: " + ut_quoted(name) + " in " + from + " is not a language name");
      continue;
    }
    const bool original = !source.empty() && language_of(name) == source;
    for (std::string& form : forms(name))
      if (!original || form != source) add_unique(&choice->folders, std::move(form));
    if (original) {
      choice->notes.push_back("stopped: " + ut_quoted(name) + " in " + from + " is in the program's own language " +
                              ut_quoted(source));
      break;
    }
  }
}

}  // namespace

std::string language_of(const std::string& locale) { return locale.substr(0, locale.find_first_of("_.@")); }

Choice choose(const char* languages, const char* source_language) {
  Choice choice;
  if (languages != nullptr) {
    choice.notes.push_back("languages " + ut_quoted(languages) + " given by the program");
    add_list(languages, "the program's list", source_language != nullptr ? language_of(source_language) : "",
             &choice);
    return choice;
  }
  const Variable locale = first_set({"LC_ALL", "LC_MESSAGES", "LANG"});
  if (locale.value == nullptr) {
    choice.notes.push_back("skipped: none of LC_ALL, LC_MESSAGES, LANG is set, so the locale is C");
    return choice;
  }
  if (is_untranslated(locale.value)) {
    choice.notes.push_back(std::string("skipped: ") + locale.name + " is " + locale.value);
    return choice;
  }
  const Variable language_list = first_set({"LANGUAGE"});
  const Variable from = language_list.value != nullptr ? language_list : locale;
  choice.notes.push_back("languages " + ut_quoted(from.value) + " from " + from.name);
  add_list(from.value, from.name, "", &choice);
  return choice;
}

}  // namespace nls_language
