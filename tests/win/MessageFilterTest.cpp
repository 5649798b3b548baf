#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <set>

#include "autocad/CadLauncher.h"
#include "autocad/CadSession.h"
#include "autocad/win/CadThread.h"
#include "automation/AutomationError.h"
#include "base/StdFileSystem.h"
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

// Wine never asks a client's filter (a busy server's refusal comes back from Invoke, where DispatchObject retries);
// on Windows COM asks the filter registered on the calling thread. Asked directly here, as COM would ask it, on
// each CAD thread: the server-side path itself can be seen only on Windows.
TEST(MessageFilter, EachCadThreadAsksItsOwnFilterWhichRetriesABusyServerOnlyWithinTheBudget) {
    struct NoApplication : autocad::CadLauncher {
        automation::ObjectPtr connectRunning() override { throw automation::AutomationError(automation::hresult::Unavailable, "none"); }
        automation::ObjectPtr createInstance() override { throw automation::AutomationError(automation::hresult::Unavailable, "none"); }
    } launcher;
    struct NoWindow : autocad::ConnectionUi {
        void setStatus(const std::string&) override {}
        void hideMainWindow() override {}
        void showMainWindow() override {}
    } ui;
    base::StdFileSystem files;
    auto mailbox = std::make_shared<base::TaskMailbox>([] {});
    auto session = [&] {
        return std::make_unique<autocad::CadSession>(launcher, mailbox, ui, std::make_shared<autocad::CallMonitor>(),
                                                     files);
    };
    struct Answers {
        IMessageFilter* filter = nullptr;
        DWORD busy = 0, rejected = 0, spent = 0, handled = 0;
    };
    auto askOn = [&](autocad::CadThread& thread) {
        std::promise<Answers> answers;
        thread.post([&](autocad::CadSession&) {
            Answers a;
            // The filter registered on this thread, put straight back.
            IMessageFilter* previous = nullptr;
            CoRegisterMessageFilter(nullptr, &a.filter);
            CoRegisterMessageFilter(a.filter, &previous);
            if (a.filter) {
                a.busy = a.filter->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER);
                a.rejected = a.filter->RetryRejectedCall(nullptr, 59'000, SERVERCALL_REJECTED);
                a.spent = a.filter->RetryRejectedCall(nullptr, 60'000, SERVERCALL_RETRYLATER);
                a.handled = a.filter->HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, 0, nullptr);
                a.filter->Release();
            }
            answers.set_value(a);
        });
        return answers.get_future().get();
    };
    autocad::CadThread first(session, [](const std::string&) {});
    autocad::CadThread second(session, [](const std::string&) {});
    const Answers one = askOn(first), two = askOn(second);
    for (const Answers& a : {one, two}) {
        ASSERT_NE(a.filter, nullptr) << "no filter on a CAD thread";
        EXPECT_EQ(a.busy, 100u) << "retried after a pause";
        EXPECT_EQ(a.rejected, 100u);
        EXPECT_EQ(a.spent, static_cast<DWORD>(-1)) << "given up once the budget is spent";
        EXPECT_EQ(a.handled, static_cast<DWORD>(SERVERCALL_ISHANDLED));
    }
    EXPECT_NE(one.filter, two.filter) << "each thread registers its own";
    EXPECT_TRUE(first.finish(5000));
    EXPECT_TRUE(second.finish(5000));
}

}  // namespace
}  // namespace quillon::win
