// The guard's judgement of the system's answers, and the guard itself on this machine, under a name of the
// test's own so that it never meets a run of the program.
#include <windows.h>

#include <gtest/gtest.h>
#include <sddl.h>

#include <cstring>
#include <string>
#include <thread>

#include "console/one_run_guard.h"

namespace {

TEST(OneRunGuard, JudgesWhatTheSystemAnswered) {
  const struct {
    const char* name;
    GuardAnswers answers;
    GuardVerdict verdict;
  } cases[] = {
      {"new", {true, 0, false, false, "", true}, GuardVerdict::Taken},
      {"another run holds it", {true, 0, true, true, "BUILTIN\\Administrators", false}, GuardVerdict::AnotherRun},
      {"a run died and left it", {true, 0, true, true, "BUILTIN\\Administrators", true}, GuardVerdict::Taken},
      {"someone else's, held", {true, 0, true, false, "PC\\guest", false}, GuardVerdict::Blocked},
      {"someone else's, free", {true, 0, true, false, "PC\\guest", true}, GuardVerdict::Blocked},
      {"denied to this account", {false, 5, false, false, "", false}, GuardVerdict::Blocked},
      {"an event of that name", {false, 6, false, false, "", false}, GuardVerdict::Blocked},
  };
  for (const auto& c : cases) EXPECT_EQ(judgeGuard(c.answers), c.verdict) << c.name;
  EXPECT_NE(blockedGuardMessage({true, 0, true, false, "PC\\guest", false}).find("PC\\guest"), std::string::npos);
  EXPECT_NE(blockedGuardMessage({false, 5, false, false, "", false}).find("system error 5"), std::string::npos);
}

std::wstring testName(const char* what) {
  return L"Global\\recovery-run-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::wstring(what, what + strlen(what));
}

TEST(OneRunGuard, OnThisMachineASecondTakerFindsTheFirstRunning) {
  const std::wstring name = testName("second");
  auto first = takeOneRunGuard(name);
  ASSERT_EQ(first->verdict(), GuardVerdict::Taken);
  // Another thread stands in for another process: a mutex is held by a thread.
  GuardVerdict second = GuardVerdict::Taken;
  std::thread([&] { second = takeOneRunGuard(name)->verdict(); }).join();
  EXPECT_EQ(second, GuardVerdict::AnotherRun);
  first.reset();
  std::thread([&] { second = takeOneRunGuard(name)->verdict(); }).join();
  EXPECT_EQ(second, GuardVerdict::Taken) << "free again once the first is gone";
}

TEST(OneRunGuard, OnThisMachineAMutexThatThisToolDidNotMakeBlocksTheRun) {
  const std::wstring name = testName("planted");
  // Planted as any account could: owned by that account itself, open to everyone.
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  unsigned char user[256];
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, sizeof user, &size));
  CloseHandle(token);
  LPWSTR sid = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
  const std::wstring sddl = L"O:" + std::wstring(sid) + L"D:(A;;GA;;;WD)";
  LocalFree(sid);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                   &attributes.lpSecurityDescriptor, nullptr));
  const HANDLE planted = CreateMutexW(&attributes, FALSE, name.c_str());
  LocalFree(attributes.lpSecurityDescriptor);
  ASSERT_NE(planted, nullptr);

  const auto guard = takeOneRunGuard(name);
  EXPECT_EQ(guard->verdict(), GuardVerdict::Blocked);
  EXPECT_TRUE(guard->answers().existed);
  EXPECT_FALSE(guard->answers().ownerTrusted);
  EXPECT_FALSE(guard->answers().owner.empty());
  CloseHandle(planted);

  const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, name.c_str());  // the name taken by another kind
  EXPECT_EQ(takeOneRunGuard(name)->verdict(), GuardVerdict::Blocked);
  CloseHandle(event);
}

}  // namespace
