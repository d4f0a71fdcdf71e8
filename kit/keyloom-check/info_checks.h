// Checks of what the library shows before any run: its exports and the record GetInfo fills.
#pragma once

#include <string>
#include <vector>

#include "check_row.h"
#include "engine/library_abi.h"

namespace keyloom_check {

struct ExportsFound {
  bool getInfo = false, init = false, decryptSingleFile = false, finish = false;
  std::vector<std::string> allNames;  // every name in the library's export table, to spot decorated ones
};

Row checkExports(const ExportsFound& found);

// Name, description and option texts present; flags are free and so not judged.
Row checkInfoTexts(const ToolInfo& info);
Row checkOptionIds(const ToolInfo& info);

// The record's texts as GetInfo left them, to compare after each later call.
struct TextsCopy {
  struct Text {
    const char* pointer = nullptr;
    std::string content;
  };
  struct Option {
    Text name, description;
    bool checkedByDefault = false;
    uint32_t id = 0;
  };
  Text name, description;
  const ToolOption* optionsData = nullptr;
  std::vector<Option> options;
};

TextsCopy copyTexts(const ToolInfo& info);

// Empty when the record still holds the same texts at the same places; else what differs.
std::string textsDifference(const TextsCopy& was, const ToolInfo& now);

}  // namespace keyloom_check
