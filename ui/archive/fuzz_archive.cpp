// libFuzzer entry for native clang builds (not part of the cross build):
//   clang++ -std=c++20 -g -fsanitize=fuzzer,address,undefined -I.. fuzz_archive.cpp lzf.cpp utf16.cpp
//           archive_reader.cpp -o fuzz_archive
#include "archive_reader.h"
#include "lzf.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> block(data, size);

  // The same bytes as a raw LZF stream, with the expected length taken from the first byte.
  if (size > 0) (void)uiarchive::lzf_decompress(block.subspan(1), std::size_t{data[0]} * 16);

  const auto archive = uiarchive::open_archive(block);
  if (!archive) return 0;
  for (std::uint32_t i = 0; i < archive->item_count && i < 64; ++i)
    (void)uiarchive::item_content(*uiarchive::item_at(*archive, i));
  for (const char16_t* path : {u"html/main.html", u"a", u"", u"css/main.css"}) (void)uiarchive::lookup(*archive, path);
  (void)uiarchive::list_archive(*archive);
  return 0;
}
