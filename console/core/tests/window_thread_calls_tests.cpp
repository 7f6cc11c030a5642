#include "quillard/window_thread_calls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

// A worker posts lines, asks for a message box and ends; the window thread
// waits for it the way a port close does: everything runs, in order, on the
// window thread, and the wait ends only with the worker.
TEST(WindowThreadCalls, WorkerCallsRunInOrderOnTheWaitingWindowThread)
{
    std::atomic<int> wakes{0};
    WindowThreadCalls calls([&] { ++wakes; });
    std::vector<int> ran;  // touched by the window thread only
    const auto windowThread = std::this_thread::get_id();
    std::atomic<bool> ended{false};
    bool everyCallOnWindowThread = true;

    std::thread worker([&] {
        for (int i = 0; i < 3 * static_cast<int>(WindowThreadCalls::kMaxQueued); ++i) {
            calls.Post([&, i] {
                everyCallOnWindowThread &= std::this_thread::get_id() == windowThread;
                ran.push_back(i);
            });
        }
        calls.RunOnWindowThread([&] { ran.push_back(-1); });  // waits until it has run
        calls.Post([&] { ran.push_back(-2); });
        ended = true;
        calls.Notify();
    });
    EXPECT_TRUE(calls.WaitServing([&] { return ended.load(); }, 60s));
    worker.join();

    ASSERT_EQ(ran.size(), 3 * WindowThreadCalls::kMaxQueued + 2);
    for (std::size_t i = 0; i + 2 < ran.size(); ++i)
        ASSERT_EQ(ran[i], static_cast<int>(i));
    EXPECT_EQ(ran[ran.size() - 2], -1);
    EXPECT_EQ(ran.back(), -2);  // queued before the worker ended: run before the wait ends
    EXPECT_TRUE(everyCallOnWindowThread);
    EXPECT_GE(wakes.load(), 1);
}

TEST(WindowThreadCalls, WaitEndsAtItsTimeoutAndAFullQueueHoldsTheWorker)
{
    WindowThreadCalls calls([] {});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(calls.WaitServing([] { return false; }, 20ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);

    std::atomic<std::size_t> posted{0};
    std::thread worker([&] {
        for (std::size_t i = 0; i <= WindowThreadCalls::kMaxQueued; ++i) {
            calls.Post([] {});
            ++posted;
        }
    });
    while (posted < WindowThreadCalls::kMaxQueued)
        std::this_thread::yield();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(posted.load(), WindowThreadCalls::kMaxQueued);  // the last one waits for room
    calls.RunPending();
    worker.join();
    EXPECT_EQ(posted.load(), WindowThreadCalls::kMaxQueued + 1);
}

// Calls queued while the window thread runs the queue (a worker as fast as
// the window) wait for the next turn, with a wake-up of their own: in between
// the window thread gets to its input and drawing.
TEST(WindowThreadCalls, CallsQueuedDuringARunWaitForTheNextWakeUp)
{
    std::atomic<int> wakes{0};
    WindowThreadCalls calls([&] { ++wakes; });
    std::vector<int> ran;
    calls.Post([&] {
        ran.push_back(1);
        calls.Post([&] { ran.push_back(2); });
    });
    EXPECT_EQ(wakes.load(), 1);
    calls.RunPending();
    EXPECT_EQ(ran, std::vector<int>{1});
    const int wakesAfterTheFirstRun = wakes.load();
    EXPECT_GE(wakesAfterTheFirstRun, 2);
    calls.RunPending();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(wakes.load(), wakesAfterTheFirstRun);  // nothing left, no wake-up
}
