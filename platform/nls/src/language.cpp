// Language selection: what the environment asks for, and the fallbacks of
// each locale name.
#include "language.h"

#include <algorithm>
#include <cstdlib>

namespace nls_language {

namespace {

const char* first_set(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return nullptr;
}

// "C" and "POSIX", with or without a codeset or modifier, ask for the
// untranslated texts.
bool is_untranslated(const std::string& locale) {
  const std::string language = locale.substr(0, locale.find_first_of(".@"));
  return language == "C" || language == "POSIX";
}

void add_unique(std::vector<std::string>* list, std::string name) {
  if (std::find(list->begin(), list->end(), name) == list->end()) list->push_back(std::move(name));
}

}  // namespace

std::vector<std::string> forms(const std::string& locale) {
  // ll[_CC][.codeset][@modifier]
  const std::size_t at = locale.find('@');
  const std::string modifier = at == std::string::npos ? "" : locale.substr(at);
  const std::string base = locale.substr(0, at);
  const std::size_t dot = base.find('.');
  const std::string codeset = dot == std::string::npos ? "" : base.substr(dot);
  const std::string language_territory = base.substr(0, dot);
  const std::string language = language_territory.substr(0, language_territory.find('_'));

  std::vector<std::string> result;
  add_unique(&result, language_territory + codeset + modifier);
  add_unique(&result, language_territory + modifier);
  add_unique(&result, language_territory + codeset);
  add_unique(&result, language_territory);
  add_unique(&result, language + modifier);
  add_unique(&result, language);
  return result;
}

std::vector<std::string> candidates() {
  std::vector<std::string> result;
  const char* language_list = first_set({"LANGUAGE"});
  const char* value = language_list != nullptr
                          ? language_list
                          : first_set({"LC_ALL", "LC_MESSAGES", "LANG"});
  if (value == nullptr) return result;

  const std::string list = value;
  std::size_t begin = 0;
  while (begin <= list.size()) {
    std::size_t end = list.find(':', begin);
    if (end == std::string::npos) end = list.size();
    const std::string locale = list.substr(begin, end - begin);
    begin = end + 1;
    if (locale.empty()) continue;
    if (is_untranslated(locale)) break;
    // A name is a path component: one that could climb out of the
    // catalogue directory is ignored.
    if (locale.find('/') != std::string::npos || locale[0] == '.') continue;
    for (std::string& form : forms(locale)) add_unique(&result, std::move(form));
  }
  return result;
}

}  // namespace nls_language
