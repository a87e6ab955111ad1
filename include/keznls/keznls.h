/// \file
/// Everything the library offers, in one include.
#ifndef KEZNLS_KEZNLS_H
#define KEZNLS_KEZNLS_H

#include "keznls/roles.h"
#include "keznls/output.h"
#include "keznls/engine.h"
#include "keznls/translator.h"
#include "keznls/locale.h"
#include "keznls/languages.h"
#include "keznls/locale_formatter.h"
#include "keznls/translator_set.h"
#include "keznls/parsers.h"
#include "keznls/streams.h"
#include "keznls/library_nls.h"
#include "keznls/catalogue_folder.h"
#include "keznls/version.h"

#endif  // KEZNLS_KEZNLS_H
