// SPDX-License-Identifier: MIT
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "fs/DeadlineCall.h"
#include "fs/StalledPaths.h"
#include "support/Gate.h"

namespace trelmark::fs {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(DeadlineCall, AnAnswerInTimeIsReturnedAndNeverReportedLate) {
    std::atomic<int> lateCalls = 0;
    const auto answer = DeadlineCall<std::string>::run([] { return std::string("listed"); }, 5s,
                                                       [&lateCalls](std::string) { ++lateCalls; });
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, "listed");
    EXPECT_EQ(lateCalls.load(), 0);
}

TEST(DeadlineCall, ALateAnswerLeavesTheCallerAtTheDeadlineAndArrivesOnceWhenReleased) {
    const auto gate = std::make_shared<test::Gate>();
    std::promise<int> lateAnswer;
    auto arrived = lateAnswer.get_future();
    const auto started = Clock::now();
    const auto answer = DeadlineCall<int>::run(
        [gate] {
            gate->pass();
            return 42;
        },
        50ms, [&lateAnswer](int value) { lateAnswer.set_value(value); });
    const auto waited = Clock::now() - started;
    EXPECT_FALSE(answer.has_value());
    EXPECT_GE(waited, 50ms);
    EXPECT_LT(waited, 2s);
    ASSERT_TRUE(gate->awaitHeld(1));
    EXPECT_EQ(arrived.wait_for(0ms), std::future_status::timeout);
    gate->open();
    ASSERT_EQ(arrived.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(arrived.get(), 42);  // a second set_value would have thrown on the worker
}

// A worker held past the caller's whole scope touches only what it owns: under the sanitizers this is the
// case that would catch a reference to the caller's stack.
TEST(DeadlineCall, AnAbandonedWorkerOwnsWhatItTouches) {
    const auto gate = std::make_shared<test::Gate>();
    auto finished = std::make_shared<std::promise<std::string>>();
    auto done = finished->get_future();
    {
        std::string local = "on the caller's stack";
        const auto answer = DeadlineCall<std::string>::run(
            [gate, copy = local] {
                gate->pass();
                return copy + ", copied";
            },
            10ms, [finished](std::string value) { finished->set_value(std::move(value)); });
        EXPECT_FALSE(answer.has_value());
    }
    ASSERT_TRUE(gate->awaitHeld(1));
    gate->open();
    ASSERT_EQ(done.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(done.get(), "on the caller's stack, copied");
}

TEST(DeadlineCall, ManyCallsRacingTheirDeadlineEachAnswerExactlyOnce) {
    constexpr int kCalls = 200;
    auto late = std::make_shared<std::atomic<int>>(0);
    int inTime = 0;
    std::atomic<int> ran = 0;
    for (int call = 0; call < kCalls; ++call) {
        // A deadline about as long as the call: some answers come in time, some just after.
        const auto answer = DeadlineCall<int>::run(
            [&ran, call] {
                std::this_thread::sleep_for(std::chrono::microseconds(call % 3 * 100));
                ++ran;
                return call;
            },
            std::chrono::milliseconds(call % 2), [late](int) { ++*late; });
        inTime += answer.has_value() ? 1 : 0;
    }
    const auto until = Clock::now() + 5s;
    while (inTime + late->load() < kCalls && Clock::now() < until) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(inTime + late->load(), kCalls);
    EXPECT_EQ(ran.load(), kCalls);
}

TEST(StalledPaths, CoversThePathAndWhatLiesBelowItByWholeComponents) {
    StalledPaths paths;
    paths.stalled("/mnt/share/hang");
    EXPECT_TRUE(paths.covers("/mnt/share/hang"));
    EXPECT_TRUE(paths.covers("/mnt/share/hang/deeper/still"));
    EXPECT_FALSE(paths.covers("/mnt/share/hanger"));
    EXPECT_FALSE(paths.covers("/mnt/share"));
    paths.stalled("/");
    EXPECT_TRUE(paths.covers("/anything"));
}

TEST(StalledPaths, APathStaysUntilEveryLateCallAboutItAnswered) {
    StalledPaths paths;
    paths.stalled("/a");
    paths.stalled("/a");
    paths.answered("/a");
    EXPECT_TRUE(paths.covers("/a"));
    paths.answered("/a");
    EXPECT_FALSE(paths.covers("/a"));
    paths.answered("/a");  // one too many changes nothing
    paths.stalled("/a");
    EXPECT_TRUE(paths.covers("/a"));
}

}  // namespace
}  // namespace trelmark::fs
