#include "runs.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "catalogue/language.h"

namespace keznls_compare {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = text.find(separator, begin);
    parts.push_back(text.substr(begin, end - begin));
    if (end == std::string::npos) return parts;
    begin = end + 1;
  }
}

std::string catalogue_path(const std::string& dir, const std::string& language, const std::string& domain) {
  return dir + "/" + language + "/LC_MESSAGES/" + domain + ".mo";
}

Run make_run(const std::string& dir, const std::string& domain, const std::set<std::string>& languages,
             const std::string& list) {
  Run run;
  run.domain = domain;
  run.languages = list;
  run.is_list = list.find(':') != std::string::npos;
  for (const std::string& language : split(list, ':'))
    // The files each name reaches, in the catalogue layer's own order: the
    // comparison asks every message they hold, whoever answers it.
    for (const std::string& name : nls_language::forms(language)) {
      const std::string path = catalogue_path(dir, name, domain);
      if (languages.count(name) != 0 && std::find(run.files.begin(), run.files.end(), path) == run.files.end())
        run.files.push_back(path);
    }
  return run;
}

}  // namespace

Runs find_runs(const std::string& dir, const std::vector<std::string>& lists) {
  std::map<std::string, std::set<std::string>> languages_of;  // domain -> languages
  Runs result;
  std::error_code error;
  for (const fs::directory_entry& language : fs::directory_iterator(dir, error)) {
    std::error_code ignored;
    for (const fs::directory_entry& file :
         fs::directory_iterator(language.path() / "LC_MESSAGES", ignored)) {
      if (file.path().extension() != ".mo" || !file.is_regular_file(ignored)) continue;
      languages_of[file.path().stem().string()].insert(language.path().filename().string());
      ++result.catalogues;
    }
  }

  for (const auto& entry : languages_of) {
    const std::set<std::string>& languages = entry.second;
    for (const std::string& language : languages)
      result.runs.push_back(make_run(dir, entry.first, languages, language));
    for (const std::string& list : lists) {
      const std::vector<std::string> wanted = split(list, ':');
      if (std::all_of(wanted.begin(), wanted.end(), [&](const std::string& l) { return languages.count(l) != 0; }))
        result.runs.push_back(make_run(dir, entry.first, languages, list));
    }
  }
  return result;
}

}  // namespace keznls_compare
