#include <gtest/gtest.h>

#include "win/MessageFilter.h"

namespace quillon::win {
namespace {

using namespace std::chrono_literals;

TEST(MessageFilter, RetriesABusyServerUntilTheBudgetIsSpent) {
    RetryPolicy retry{1000ms, 50ms};
    EXPECT_EQ(retryDecision(0, SERVERCALL_RETRYLATER, retry), 50u);
    EXPECT_EQ(retryDecision(999, SERVERCALL_REJECTED, retry), 50u);
    EXPECT_EQ(retryDecision(1000, SERVERCALL_RETRYLATER, retry), static_cast<DWORD>(-1));
}

}  // namespace
}  // namespace quillon::win
