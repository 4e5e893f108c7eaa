// Thread affinity on every system: a change answers the mask before it, a refused one changes
// nothing. Affinity is changed only on threads the tests start, never on the test runner's own.
#include <Utility/Platform/Error.h>
#include <Utility/Platform/System.h>
#include <Utility/Platform/Thread.h>

#include <gtest/gtest.h>

#include <thread>
#include <tuple>

namespace {

TEST(SetThreadAffinityMask, AnswersThePreviousMaskAndRefusesBadArgumentsWithoutAChange) {
  std::thread([] {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    const DWORD_PTR first = 1;
    const DWORD_PTR original = SetThreadAffinityMask(GetCurrentThread(), first);
    ASSERT_NE(original, 0u);
    const std::tuple<const char*, HANDLE, DWORD_PTR, DWORD> cases[] = {
        {"mask 0", GetCurrentThread(), 0, ERROR_INVALID_PARAMETER},
        {"processor beyond the machine", GetCurrentThread(),
         info.dwNumberOfProcessors < 64 ? DWORD_PTR{1} << info.dwNumberOfProcessors : 0, ERROR_INVALID_PARAMETER},
        {"null handle", nullptr, 1, ERROR_INVALID_HANDLE},
    };
    for (const auto& [name, thread, mask, error] : cases) {
      SetLastError(0);
      EXPECT_EQ(SetThreadAffinityMask(thread, mask), 0u) << name;
      EXPECT_EQ(GetLastError(), error) << name;
    }
    EXPECT_EQ(SetThreadAffinityMask(GetCurrentThread(), original), first);  // still bound as before
    EXPECT_EQ(SetThreadAffinityMask(GetCurrentThread(), original), original);
  }).join();
}

}  // namespace
