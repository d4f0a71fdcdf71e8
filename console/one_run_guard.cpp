#include "console/one_run_guard.h"

#include <fmt/format.h>

#include "text/encodings.h"

GuardVerdict judgeGuard(const GuardAnswers& answers) {
  if (!answers.opened) return GuardVerdict::Blocked;
  // A mutex that was there before counts only when this tool could have made it.
  if (answers.existed && !answers.ownerTrusted) return GuardVerdict::Blocked;
  return answers.acquired ? GuardVerdict::Taken : GuardVerdict::AnotherRun;
}

std::string blockedGuardMessage(const GuardAnswers& answers, const std::wstring& guardName) {
  const std::string name = text::utf8_from_wide(guardName);
  if (!answers.opened) {
    return fmt::format(
        "Could not make sure that no other run goes on: the name {} is taken by an object that this tool did not "
        "create (system error {}). Nothing was done. Find the program that holds it, or restart the machine, and "
        "run again.",
        name, answers.openError);
  }
  return fmt::format(
      "Could not make sure that no other run goes on: the name {} is held by an object of the account {}, which "
      "this tool did not create. Nothing was done. Find the program that holds it, or restart the machine, and run "
      "again.",
      name, answers.owner.empty() ? std::string("(unknown)") : answers.owner);
}
