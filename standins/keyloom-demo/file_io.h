// Whole-file reads and writes with the system's error codes, for the test folder's pairs and the demonstration
// family's own tool; restoring goes through the kit's safe_restore.h instead.
// Every question about a path goes to the system with the path as given: paths may come in the long-path
// form "\\?\...", which the C runtime's stat beneath std::filesystem's queries does not find on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// 0 on success, otherwise the system error code.
uint32_t readWholeFile(const std::wstring& path, std::vector<uint8_t>& content);
// Creates or replaces the file. On failure a partly written file is removed.
uint32_t writeWholeFile(const std::wstring& path, const std::vector<uint8_t>& content);

// The full paths of what a folder holds other than subfolders, in the system's listing order; empty when
// the folder cannot be listed.
std::vector<std::wstring> filesIn(const std::wstring& folder);

}  // namespace demo
