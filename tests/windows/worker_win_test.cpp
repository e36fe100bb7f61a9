// The program's worker threads: a throw out of a worker's work is the
// worker's failure, traced and told to whoever waits, never the end of the
// program.

#include "base/worker_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <stdexcept>
#include <string>

#include "support_win.h"

namespace {

TEST(Worker, AWorkThatThrowsEndsItsThreadWithTheFailureTracedAndAnswered) {
  testing_support::DebugOutput output;
  std::atomic<long> answered{S_OK};
  auto thread = base::start_worker(
      "the test's worker", [] { throw std::runtime_error("the disk went away"); }, 0,
      [&](std::int32_t hr) { answered = hr; });
  ASSERT_TRUE(thread) << thread.error().text;
  ASSERT_EQ(WaitForSingleObject(thread->get(), 5000), WAIT_OBJECT_0);
  DWORD code = STILL_ACTIVE;
  ASSERT_TRUE(GetExitCodeThread(thread->get(), &code));
  EXPECT_EQ(code, 0u);  // it returned; the process goes on
  EXPECT_EQ(answered.load(), E_FAIL);
  EXPECT_NE(output.text().find("tolvik: the test's worker (the disk went away) failed with HRESULT 0x80004005\n"),
            std::string::npos)
      << output.text();
}

TEST(Worker, AFailedAllocationIsAnsweredAsOutOfMemoryAndAWorkThatEndsWellIsNot) {
  std::atomic<long> answered{S_OK};
  std::atomic<bool> ran{false}, fine_failed{false};
  auto failing = base::start_worker("a worker", [] { throw std::bad_alloc(); }, 0,
                                    [&](std::int32_t hr) { answered = hr; });
  auto fine = base::start_worker("another", [&] { ran = true; }, base::kWorkerStack,
                                 [&](std::int32_t) { fine_failed = true; });
  ASSERT_TRUE(failing && fine);
  const HANDLE both[] = {failing->get(), fine->get()};
  ASSERT_EQ(WaitForMultipleObjects(2, both, TRUE, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(answered.load(), E_OUTOFMEMORY);
  EXPECT_TRUE(ran.load());
  EXPECT_FALSE(fine_failed.load());
}

}  // namespace
