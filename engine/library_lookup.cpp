#include "engine/library_lookup.h"

bool namesTheLibrary(std::wstring_view listedPath) { return listedPath.ends_with(kLibraryFileName); }

std::vector<std::string> missingExportLines(bool hasGetInfo, bool hasInit, bool hasDecryptSingleFile, bool hasFinish) {
  std::vector<std::string> lines;
  if (!hasGetInfo) lines.emplace_back("Could not get address of GetInfo!");
  if (!hasInit) lines.emplace_back("Could not get address of Init!");
  if (!hasDecryptSingleFile) lines.emplace_back("Could not get address of DecryptSingleFile!");
  if (!hasFinish) lines.emplace_back("Could not get address of Finish!");
  return lines;
}
