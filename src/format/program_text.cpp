#include "format/program_text.h"

#include <link.h>

#include <cstdint>

namespace keznls_engine {

namespace {

// The main program's loaded segments that are not writable. Executables
// have two to four; more are not looked at (their texts are then read as
// any other's).
struct Constants {
  static constexpr int kMost = 8;
  std::uintptr_t from[kMost];
  std::uintptr_t to[kMost];
  int count = 0;

  Constants() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
          auto& self = *static_cast<Constants*>(data);
          for (int i = 0; i < info->dlpi_phnum; ++i) {
            const ElfW(Phdr)& h = info->dlpi_phdr[i];
            if (h.p_type != PT_LOAD || (h.p_flags & PF_W) != 0 || self.count == kMost) continue;
            self.from[self.count] = info->dlpi_addr + h.p_vaddr;
            self.to[self.count] = info->dlpi_addr + h.p_vaddr + h.p_memsz;
            ++self.count;
          }
          return 1;  // the first object reported is the main program; only it
        },
        this);
  }
};

}  // namespace

bool in_program_constants(const char* text, unsigned long size) {
  static const Constants constants;
  const auto at = reinterpret_cast<std::uintptr_t>(text);
  for (int i = 0; i < constants.count; ++i)
    if (at >= constants.from[i] && at < constants.to[i] && size <= constants.to[i] - at) return true;
  return false;
}

}  // namespace keznls_engine
