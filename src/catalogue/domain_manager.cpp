#include <clocale>

#include "keznls/nls/nls.h"

namespace {
int g_numeric_translation = 0;
}

int nlsDomainManager::numeric_translation(int on) {
  const int previous = g_numeric_translation;
  g_numeric_translation = on;
  return previous;
}

char nlsUtils::lookup_decimal_point() {
  const std::lconv* conv = std::localeconv();
  if (conv == nullptr || conv->decimal_point == nullptr || conv->decimal_point[0] == '\0')
    return '.';
  return conv->decimal_point[0];
}
