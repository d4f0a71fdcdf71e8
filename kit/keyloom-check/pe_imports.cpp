#include "pe_imports.h"

#include <cstdint>
#include <fmt/format.h>
#include <optional>

namespace keyloom_check {
namespace {

// The offsets of the PE/COFF format that the import table hangs on.
constexpr size_t kNewHeaderOffsetField = 0x3C;  // in the MS-DOS header: where "PE\0\0" starts
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kImportDescriptorSize = 20;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kImportDirectory = 1;  // index among the optional header's data directories
// A table longer than this is not a real one: stop rather than walk a damaged file for ever.
constexpr size_t kMostEntries = 1 << 16;
constexpr size_t kLongestName = 4096;
// The whole import table's bounds. Descriptors may share one thunk array, so capping each table alone
// would still let a small crafted file ask for kMostEntries squared entries; real libraries import a few
// hundred functions.
constexpr size_t kMostImports = 1 << 16;
constexpr size_t kMostNameBytes = size_t{1} << 22;

// Little-endian reads that answer nothing past the file's end.
struct Bytes {
  std::string_view file;

  template <class T>
  std::optional<T> read(size_t offset) const {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return std::nullopt;
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<uint8_t>(file[offset + i])) << (8 * i);
    return value;
  }

  std::optional<std::string> cString(size_t offset) const {
    if (offset >= file.size()) return std::nullopt;
    const size_t end = file.find('\0', offset);
    if (end == std::string_view::npos || end - offset > kLongestName) return std::nullopt;
    return std::string(file.substr(offset, end - offset));
  }
};

struct Section {
  uint32_t virtualAddress = 0, virtualSize = 0, rawSize = 0, rawOffset = 0;
};

// Where the byte at a relative virtual address lies in the file, when it lies in a section's stored data.
std::optional<size_t> fileOffset(const std::vector<Section>& sections, uint32_t rva) {
  for (const Section& s : sections) {
    const uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
      if (rva - s.virtualAddress >= s.rawSize) return std::nullopt;  // in memory only, zero-filled
      const uint64_t offset = uint64_t{s.rawOffset} + (rva - s.virtualAddress);
      if (offset > SIZE_MAX) return std::nullopt;  // past any file a 32-bit process can hold
      return static_cast<size_t>(offset);
    }
  }
  return std::nullopt;
}

}  // namespace

bool readImports(std::string_view file, std::vector<ImportedFunction>& imports, std::string& error) {
  imports.clear();
  const Bytes bytes{file};
  if (bytes.read<uint16_t>(0) != uint16_t{0x5A4D}) {  // "MZ"
    error = "not a DLL or program: no MS-DOS header";
    return false;
  }
  const auto peOffset = bytes.read<uint32_t>(kNewHeaderOffsetField);
  if (!peOffset || bytes.read<uint32_t>(*peOffset) != uint32_t{0x00004550}) {  // "PE\0\0"
    error = "not a DLL or program: no PE header";
    return false;
  }
  const size_t coff = *peOffset + 4;
  const auto sectionCount = bytes.read<uint16_t>(coff + 2);
  const auto optionalSize = bytes.read<uint16_t>(coff + 16);
  const size_t optional = coff + kCoffHeaderSize;
  const auto magic = bytes.read<uint16_t>(optional);
  if (!sectionCount || !optionalSize || !magic) {
    error = "the PE header is cut short";
    return false;
  }
  if (*magic != kPe32Magic && *magic != kPe32PlusMagic) {
    error = fmt::format("unknown kind of PE file (optional header magic 0x{:x})", *magic);
    return false;
  }
  const bool wide = *magic == kPe32PlusMagic;
  const size_t directoryCountField = optional + (wide ? 108 : 92);
  const size_t directories = optional + (wide ? 112 : 96);
  const auto directoryCount = bytes.read<uint32_t>(directoryCountField);
  if (!directoryCount || directoryCountField + 4 > optional + *optionalSize) {
    error = "the PE header is cut short";
    return false;
  }
  if (*directoryCount <= kImportDirectory) return true;
  const auto importRva = bytes.read<uint32_t>(directories + 8 * kImportDirectory);
  if (!importRva) {
    error = "the PE header is cut short";
    return false;
  }
  if (*importRva == 0) return true;

  std::vector<Section> sections;
  const size_t sectionTable = optional + *optionalSize;
  for (uint16_t i = 0; i < *sectionCount; ++i) {
    const size_t at = sectionTable + i * kSectionHeaderSize;
    const auto virtualSize = bytes.read<uint32_t>(at + 8), virtualAddress = bytes.read<uint32_t>(at + 12),
               rawSize = bytes.read<uint32_t>(at + 16), rawOffset = bytes.read<uint32_t>(at + 20);
    if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) {
      error = "the section table is cut short";
      return false;
    }
    sections.push_back({*virtualAddress, *virtualSize, *rawSize, *rawOffset});
  }

  const auto tableAt = fileOffset(sections, *importRva);
  if (!tableAt) {
    error = fmt::format("the import table (RVA 0x{:x}) lies in no section of the file", *importRva);
    return false;
  }
  const size_t thunkSize = wide ? 8 : 4;
  size_t nameBytes = 0;
  const auto tooMany = [&](const std::string& library, const std::string& name) {
    nameBytes += library.size() + name.size();
    if (imports.size() < kMostImports && nameBytes <= kMostNameBytes) return false;
    error =
        fmt::format("the import table names more than {} functions or {} bytes of names", kMostImports, kMostNameBytes);
    imports.clear();
    return true;
  };
  const uint64_t ordinalFlag = wide ? uint64_t{1} << 63 : uint64_t{1} << 31;
  for (size_t d = 0; d < kMostEntries; ++d) {
    const size_t at = *tableAt + d * kImportDescriptorSize;
    const auto lookupRva = bytes.read<uint32_t>(at), nameRva = bytes.read<uint32_t>(at + 12),
               addressRva = bytes.read<uint32_t>(at + 16);
    if (!lookupRva || !nameRva || !addressRva) {
      error = "the import table runs past the file's end";
      return false;
    }
    if (*nameRva == 0 && *addressRva == 0) return true;  // the table's closing entry
    const auto nameAt = fileOffset(sections, *nameRva);
    const auto library = nameAt ? bytes.cString(*nameAt) : std::nullopt;
    if (!library) {
      error = fmt::format("an imported DLL's name (RVA 0x{:x}) cannot be read", *nameRva);
      return false;
    }
    // The lookup table names the functions; older linkers leave it out and the address table, still
    // unbound in the file, holds the same entries.
    const uint32_t thunksRva = *lookupRva != 0 ? *lookupRva : *addressRva;
    const auto thunksAt = fileOffset(sections, thunksRva);
    if (!thunksAt) {
      error = fmt::format("the functions imported from {} (RVA 0x{:x}) lie in no section", *library, thunksRva);
      return false;
    }
    for (size_t t = 0;; ++t) {
      const size_t entryAt = *thunksAt + t * thunkSize;
      const std::optional<uint64_t> entry =
          wide ? bytes.read<uint64_t>(entryAt) : std::optional<uint64_t>(bytes.read<uint32_t>(entryAt));
      if (!entry || t >= kMostEntries) {
        error = fmt::format("the functions imported from {} run past the file's end", *library);
        return false;
      }
      if (*entry == 0) break;
      if (*entry & ordinalFlag) {
        if (tooMany(*library, {})) return false;
        imports.push_back({*library, "", static_cast<uint32_t>(*entry & 0xFFFF)});
        continue;
      }
      const auto hintAt = fileOffset(sections, static_cast<uint32_t>(*entry & 0x7FFFFFFF));
      const auto name = hintAt ? bytes.cString(*hintAt + 2) : std::nullopt;  // after the two-byte hint
      if (!name) {
        error = fmt::format("a function imported from {} has a name that cannot be read", *library);
        return false;
      }
      if (tooMany(*library, *name)) return false;
      imports.push_back({*library, *name, 0});
    }
  }
  error = "the import table has no end";
  return false;
}

}  // namespace keyloom_check
