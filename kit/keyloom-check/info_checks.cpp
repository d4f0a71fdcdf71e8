#include "info_checks.h"

#include <algorithm>
#include <fmt/format.h>
#include <fmt/ranges.h>
#include <set>

#include "rules.h"
#include "text.h"

namespace keyloom_check {
namespace {

Row row(const char* id, Status status, std::string detail) {
  return Row{id, rules::title(id), status, std::move(detail)};
}

std::string join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

TextsCopy::Text copyText(const char* text) { return {text, text ? std::string(text) : std::string()}; }

bool sameText(const TextsCopy::Text& was, const char* now) {
  return was.pointer == now && (now == nullptr || was.content == now);
}

}  // namespace

Row checkExports(const ExportsFound& found) {
  const struct {
    const char* name;
    bool present;
  } exports[] = {{"GetInfo", found.getInfo},
                 {"Init", found.init},
                 {"DecryptSingleFile", found.decryptSingleFile},
                 {"Finish", found.finish}};
  std::vector<std::string> problems;
  for (const auto& e : exports) {
    if (e.present) continue;
    std::vector<std::string> lookalikes;
    for (const std::string& name : found.allNames) {
      if (name.find(e.name) != std::string::npos) lookalikes.push_back(name);
    }
    problems.push_back(
        lookalikes.empty()
            ? fmt::format("{} is missing", e.name)
            : fmt::format("{} is missing, but the library exports {}: declare it extern \"C\" with the default "
                          "calling convention so that its name stays undecorated",
                          e.name, fmt::join(lookalikes, ", ")));
  }
  if (problems.empty()) return row(rules::kExports, Status::Passed, "");
  return row(rules::kExports, Status::Failed,
             join(problems) + "; the tool binds the four by these exact names and refuses to start without them");
}

Row checkInfoTexts(const ToolInfo& info) {
  std::vector<std::string> problems;
  const auto judge = [&](const char* text, const std::string& what) {
    if (!text) {
      problems.push_back(what + " is a null pointer");
    } else if (!*text) {
      problems.push_back(what + " is empty");
    }
  };
  judge(info.name, "the name");
  judge(info.description, "the description");
  for (size_t i = 0; i < info.options.size(); ++i) {
    judge(info.options[i].name, fmt::format("the name of option {} (id {})", i + 1, info.options[i].id));
    if (!info.options[i].description) {
      problems.push_back(
          fmt::format("the description of option {} (id {}) is a null pointer", i + 1, info.options[i].id));
    }
  }
  if (!problems.empty()) {
    return row(rules::kInfoTexts, Status::Failed, join(problems) + "; the page shows these texts to the user");
  }
  return row(rules::kInfoTexts, Status::Passed,
             fmt::format("name \"{}\", {} option(s) of its own", shownText(info.name), info.options.size()));
}

Row checkOptionIds(const ToolInfo& info) {
  std::vector<std::string> problems;
  std::set<uint32_t> seen;
  for (const ToolOption& option : info.options) {
    if (option.id >= OptionBackup && option.id <= OptionOverwrite) {
      problems.push_back(fmt::format("id {} belongs to the tool's own option \"{}\"", option.id,
                                     option.id == OptionBackup      ? "Backup"
                                     : option.id == OptionWholeScan ? "scan the entire system"
                                                                    : "replace previously decrypted files"));
    } else if (option.id == 0) {
      problems.push_back("id 0 is what the tool reads for a page entry without a valid id");
    }
    if (!seen.insert(option.id).second) problems.push_back(fmt::format("id {} is used twice", option.id));
  }
  if (!problems.empty()) {
    return row(
        rules::kOptionIds, Status::Failed,
        join(problems) + "; the tool tells options apart by id alone, so a shared id changes what the user chose");
  }
  return row(rules::kOptionIds, Status::Passed, "");
}

TextsCopy copyTexts(const ToolInfo& info) {
  TextsCopy copy;
  copy.name = copyText(info.name);
  copy.description = copyText(info.description);
  copy.optionsData = info.options.data();
  for (const ToolOption& option : info.options) {
    copy.options.push_back({copyText(option.name), copyText(option.description), option.checkedByDefault, option.id});
  }
  return copy;
}

std::string textsDifference(const TextsCopy& was, const ToolInfo& now) {
  std::vector<std::string> problems;
  if (!sameText(was.name, now.name)) problems.push_back("the name changed");
  if (!sameText(was.description, now.description)) problems.push_back("the description changed");
  if (now.options.data() != was.optionsData || now.options.size() != was.options.size()) {
    problems.push_back("the option list was replaced");
  } else {
    for (size_t i = 0; i < was.options.size(); ++i) {
      const ToolOption& option = now.options[i];
      const TextsCopy::Option& old = was.options[i];
      if (!sameText(old.name, option.name) || !sameText(old.description, option.description) ||
          old.checkedByDefault != option.checkedByDefault || old.id != option.id) {
        problems.push_back(fmt::format("option {} (id {}) changed", i + 1, old.id));
      }
    }
  }
  return join(problems);
}

}  // namespace keyloom_check
