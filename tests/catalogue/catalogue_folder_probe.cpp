// Prints the catalogue folder the library finds for this program, with the
// first argument as the fallback. The tests copy it into made-up layouts.
#include <cstdio>

#include <keznls/catalogue_folder.h>

int main(int argc, char** argv) {
  std::printf("%s\n", keznls_catalogue_folder(argc > 1 ? argv[1] : nullptr).c_str());
  return 0;
}
