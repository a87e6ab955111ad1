#include "util/ut_program_text.h"

#include <link.h>

namespace {

// The main program is the first object the loader reports (it has no
// name), and never unloaded. A segment the program may write is left out,
// whatever its protection now. Anything unexpected leaves no range: every
// text is then compared.
int first_object(dl_phdr_info* info, std::size_t, void* data) {
  utProgramText& ranges = *static_cast<utProgramText*>(data);
  if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') return 1;
  for (int i = 0; i < info->dlpi_phnum && ranges.count < utProgramText::kMax; ++i) {
    const ElfW(Phdr)& h = info->dlpi_phdr[i];
    if (h.p_type != PT_LOAD || (h.p_flags & PF_W) != 0) continue;
    ranges.begin[ranges.count] = info->dlpi_addr + h.p_vaddr;
    ranges.end[ranges.count] = info->dlpi_addr + h.p_vaddr + h.p_memsz;
    ++ranges.count;
  }
  return 1;
}

}  // namespace

const utProgramText& ut_program_text() {
  static const utProgramText ranges = [] {
    utProgramText found{};
    dl_iterate_phdr(first_object, &found);
    return found;
  }();
  return ranges;
}

std::atomic<std::uint64_t> ut_lent_texts_freed{0};
