// The framework thread: suspended start, Synchronize onto the creating thread through its
// message-only window, Terminate releasing a blocked Synchronize, and destruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "common/MessagePump.h"
#include "framework/OleSysError.h"
#include "framework/Thread.h"

namespace corvane {
namespace {

// A thread whose Execute is given by the test.
class TTestThread : public TThread {
 public:
  explicit TTestThread(std::function<void(TTestThread&)> body, std::atomic<int>* destroyed = nullptr)
      : body_(std::move(body)), destroyed_(destroyed) {}
  ~TTestThread() override {
    if (destroyed_) ++*destroyed_;
  }
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(TTestThread&)> body_;
  std::atomic<int>* destroyed_;
};

using test::PumpUntil;
using test::WaitForPostedMessage;

TEST(ThreadTest, IsCreatedSuspendedAndRunsAfterResume) {
  std::atomic<bool> ran{false};
  TTestThread thread([&](TTestThread&) { ran = true; });
  EXPECT_TRUE(thread.Suspended());
  Sleep(100);
  EXPECT_FALSE(ran);
  thread.Resume();
  thread.WaitFor();
  EXPECT_TRUE(ran);
  EXPECT_TRUE(thread.Finished());
}

TEST(ThreadTest, SynchronizeRunsOnTheCreatingThreadWhileTheWorkerWaits) {
  const DWORD creator = GetCurrentThreadId();
  DWORD ranOn = 0;
  int value = 0;
  int seenAfter = -1;
  bool result = false;
  TTestThread thread([&](TTestThread& self) {
    result = self.Synchronize([&] {
      ranOn = GetCurrentThreadId();
      Sleep(50);  // the worker must still be waiting when this ends
      value = 1;
    });
    seenAfter = value;
  });
  thread.Resume();
  ASSERT_TRUE(PumpUntil([&] { return thread.Finished(); }, 5000));
  EXPECT_TRUE(result);
  EXPECT_EQ(ranOn, creator);
  EXPECT_EQ(seenAfter, 1);
}

TEST(ThreadTest, SynchronizedMethodWaitsForTheCreatingThreadToRetrieveMessages) {
  std::atomic<bool> ran{false};
  TTestThread thread([&](TTestThread& self) { self.Synchronize([&] { ran = true; }); });
  thread.Resume();
  ASSERT_TRUE(WaitForPostedMessage(5000));
  Sleep(100);
  EXPECT_FALSE(ran);
  EXPECT_FALSE(thread.Finished());
  ASSERT_TRUE(PumpUntil([&] { return thread.Finished(); }, 5000));
  EXPECT_TRUE(ran);
}

TEST(ThreadTest, ExceptionOfASynchronizedMethodIsRaisedInTheWorker) {
  std::string caught;
  TTestThread thread([&](TTestThread& self) {
    try {
      self.Synchronize([] { throw EOleSysError("handler failed", 11); });
    } catch (const EOleSysError& error) {
      caught = error.Message();
    }
  });
  thread.Resume();
  ASSERT_TRUE(PumpUntil([&] { return thread.Finished(); }, 5000));
  EXPECT_EQ(caught, "handler failed");
}

TEST(ThreadTest, TerminateReleasesAWorkerBlockedInSynchronizeAndTheMethodNeverRuns) {
  std::atomic<bool> ran{false};
  std::atomic<int> result{-1};
  TTestThread thread([&](TTestThread& self) {
    result = self.Synchronize([&] { ran = true; }) ? 1 : 0;
  });
  thread.Resume();
  ASSERT_TRUE(WaitForPostedMessage(5000));
  thread.Terminate();
  EXPECT_TRUE(thread.WaitFor(5000));
  EXPECT_EQ(result, 0);
  PumpUntil([] { return false; }, 100);
  EXPECT_FALSE(ran);
}

TEST(ThreadTest, AClosedWindowRefusesSynchronizedMethods) {
  std::atomic<bool> ran{false};
  std::atomic<int> result{-1};
  TTestThread thread([&](TTestThread& self) {
    result = self.Synchronize([&] { ran = true; }) ? 1 : 0;
  });
  thread.SyncWindow()->Close();
  thread.Resume();
  EXPECT_TRUE(thread.WaitFor(5000));
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(ran);
}

TEST(ThreadTest, DestroyingAThreadThatNeverRanSkipsExecute) {
  std::atomic<bool> ran{false};
  std::atomic<int> destroyed{0};
  {
    TTestThread thread([&](TTestThread&) { ran = true; }, &destroyed);
  }
  EXPECT_FALSE(ran);
  EXPECT_EQ(destroyed, 1);
}

TEST(ThreadTest, AnExceptionLeavingExecuteEndsTheThreadQuietly) {
  TTestThread thread([](TTestThread&) { throw EOleSysError("lost", 11); });
  thread.Resume();
  EXPECT_TRUE(thread.WaitFor(5000));
  EXPECT_TRUE(thread.Finished());
}

}  // namespace
}  // namespace corvane
