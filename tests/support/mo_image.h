// Compiled catalogues made in memory, for entries msgfmt would refuse.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace test_catalogues {

/// A sorted .mo image without a hash table; a plural's strings are NUL-separated.
inline std::vector<char> mo_image(const std::string& header, std::vector<std::pair<std::string, std::string>> entries) {
  entries.emplace_back("", header);
  std::sort(entries.begin(), entries.end());
  const std::uint32_t count = static_cast<std::uint32_t>(entries.size());
  std::vector<char> image(28 + 16 * std::size_t{count});
  auto put = [&image](std::size_t at, std::uint32_t value) { std::memcpy(&image[at], &value, 4); };
  auto add = [&image](const std::string& text) {
    const auto at = static_cast<std::uint32_t>(image.size());
    image.insert(image.end(), text.begin(), text.end());
    image.push_back('\0');
    return at;
  };
  put(0, 0x950412de);
  put(8, count);
  put(12, 28);
  put(16, 28 + 8 * count);
  for (std::uint32_t i = 0; i < count; ++i) {
    put(28 + 8 * i, static_cast<std::uint32_t>(entries[i].first.size()));
    put(32 + 8 * i, add(entries[i].first));
    put(28 + 8 * count + 8 * i, static_cast<std::uint32_t>(entries[i].second.size()));
    put(32 + 8 * count + 8 * i, add(entries[i].second));
  }
  return image;
}

}  // namespace test_catalogues
