#include "util/ut_program_text.h"

#include <link.h>

#include <cstdint>

namespace {

struct Ranges {
  static constexpr int kMax = 4;
  std::uintptr_t begin[kMax] = {}, end[kMax] = {};
  int count = 0;
};

// The main program is the first object the loader reports (it has no
// name), and never unloaded. A segment the program may write is left out,
// whatever its protection now. Anything unexpected leaves no range: every
// text is then compared.
int first_object(dl_phdr_info* info, std::size_t, void* data) {
  Ranges& ranges = *static_cast<Ranges*>(data);
  if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') return 1;
  for (int i = 0; i < info->dlpi_phnum && ranges.count < Ranges::kMax; ++i) {
    const ElfW(Phdr)& h = info->dlpi_phdr[i];
    if (h.p_type != PT_LOAD || (h.p_flags & PF_W) != 0) continue;
    ranges.begin[ranges.count] = info->dlpi_addr + h.p_vaddr;
    ranges.end[ranges.count] = info->dlpi_addr + h.p_vaddr + h.p_memsz;
    ++ranges.count;
  }
  return 1;
}

const Ranges& program_ranges() {
  static const Ranges ranges = [] {
    Ranges found;
    dl_iterate_phdr(first_object, &found);
    return found;
  }();
  return ranges;
}

}  // namespace

bool ut_is_program_text(const void* p) {
  const Ranges& ranges = program_ranges();
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  for (int i = 0; i < ranges.count; ++i)
    if (at >= ranges.begin[i] && at < ranges.end[i]) return true;
  return false;
}
