// The search behind keznls_catalogue_folder(), given the executable's path
// so it can be tried on any layout.
#ifndef KEZNLS_SRC_RUNTIME_CATALOGUE_FOLDER_SEARCH_H
#define KEZNLS_SRC_RUNTIME_CATALOGUE_FOLDER_SEARCH_H

#include <string>

namespace keznls_detail {

/// `<dir>/locale`, else `<parent of dir>/share/locale` (each only when it
/// is a folder), else `fallback` (empty when null); `dir` is the folder of
/// `executable`, an absolute path. An empty or relative path yields the
/// fallback.
std::string catalogue_folder_for(const std::string& executable, const char* fallback);

}  // namespace keznls_detail

#endif  // KEZNLS_SRC_RUNTIME_CATALOGUE_FOLDER_SEARCH_H
