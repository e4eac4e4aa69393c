#include "util/task_pool.h"

#include "support/mini_installation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace orvelle {
namespace {

using Key = PoolTask::Key;

// A task that runs a function; what it sees of the pool is passed on.
class FunctionTask : public PoolTask {
 public:
  explicit FunctionTask(std::function<bool(StopFlag)> body) : body_(std::move(body)) {}

 protected:
  bool Run(TaskPool&, StopFlag stop) override { return body_(stop); }

 private:
  std::function<bool(StopFlag)> body_;
};

std::shared_ptr<FunctionTask> Task(std::function<bool(StopFlag)> body) {
  return std::make_shared<FunctionTask>(std::move(body));
}

// A flag one thread waits for and another sets.
class Signal {
 public:
  void Set() {
    std::lock_guard<std::mutex> guard(lock_);
    set_ = true;
    changed_.notify_all();
  }
  void WaitSet() {
    std::unique_lock<std::mutex> lock(lock_);
    changed_.wait(lock, [this] { return set_; });
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool set_ = false;
};

TEST(TaskPool, WithoutWorkersEachTaskRunsOnTheWaitingThreadWhenWaitedFor) {
  TaskPool pool(1);
  EXPECT_EQ(pool.Workers(), 0);
  std::vector<int> order;
  std::vector<std::thread::id> threads;
  auto record = [&](int n) {
    return Task([&, n](StopFlag stop) {
      EXPECT_EQ(stop, nullptr) << "the owner's run is never cut short";
      order.push_back(n);
      threads.push_back(std::this_thread::get_id());
      return true;
    });
  };
  auto first = record(1), second = record(2);
  pool.Submit(first, {0});
  pool.Submit(second, {1});
  EXPECT_TRUE(order.empty()) << "nothing runs before it is waited for";
  pool.Wait(*second);
  pool.Wait(*first);
  pool.Wait(*first);  // done: not run again
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
  EXPECT_EQ(threads, std::vector<std::thread::id>(2, std::this_thread::get_id()));
}

// Keys sort like a tree walked depth first: a key before the keys that
// extend it, and those before the next key of its own length.
TEST(TaskPool, WorkersTakeTasksInTheOrderOfTheirKeys) {
  Signal started, gate, lastRan;
  std::mutex lock;
  std::vector<Key> ran;
  TaskPool pool(2);
  ASSERT_EQ(pool.Workers(), 1);
  auto blocker = Task([&](StopFlag) {
    started.Set();
    gate.WaitSet();
    return true;
  });
  pool.Submit(blocker, {0});
  started.WaitSet();

  const std::vector<Key> keys = {{2}, {1, 1}, {10}, {1}, {1, 0, 5}, {1, 0}, {3}};
  const Key last = {10};
  std::vector<std::shared_ptr<FunctionTask>> tasks;
  for (const Key& key : keys) {
    tasks.push_back(Task([&, key](StopFlag) {
      std::lock_guard<std::mutex> guard(lock);
      ran.push_back(key);
      if (key == last) lastRan.Set();
      return true;
    }));
    pool.Submit(tasks.back(), key);
  }
  gate.Set();
  // Not through the pool: a waiting thread would help, and the one worker
  // alone shows the order.
  lastRan.WaitSet();
  std::lock_guard<std::mutex> guard(lock);
  EXPECT_EQ(ran, (std::vector<Key>{{1}, {1, 0}, {1, 0, 5}, {1, 1}, {2}, {3}, {10}}));
}

// The thread that waits for a task a worker holds runs other queued tasks
// meanwhile (here the one that lets the worker's task end).
TEST(TaskPool, TheWaitingThreadHelps) {
  Signal started, gate;
  std::thread::id helper;
  TaskPool pool(2);
  auto blocker = Task([&](StopFlag) {
    started.Set();
    gate.WaitSet();
    return true;
  });
  auto opener = Task([&](StopFlag stop) {
    helper = std::this_thread::get_id();
    gate.Set();
    return true;
  });
  pool.Submit(blocker, {0});
  started.WaitSet();
  pool.Submit(opener, {1});
  pool.Wait(*blocker);
  pool.Wait(*opener);
  EXPECT_EQ(helper, std::this_thread::get_id());
}

// Stopping drops what is queued and cuts running tasks short; a task that
// was cut short or dropped still runs, whole, for a thread that waits for
// it. A pool is destroyed while its worker runs a long task: the worker
// ends it and is joined.
TEST(TaskPool, StopDropsQueuedTasksAndCutsRunningOnesShort) {
  Signal started;
  std::atomic<int> ownerRuns{0}, workerRuns{0};
  auto longRead = [&](StopFlag stop) {
    if (stop == nullptr) {
      ++ownerRuns;
      return true;
    }
    ++workerRuns;
    started.Set();
    while (!stop->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return false;
  };
  {
    TaskPool pool(2);
    auto cut = Task(longRead);
    auto dropped = Task(longRead);
    pool.Submit(cut, {0});
    pool.Submit(dropped, {1});
    started.WaitSet();
    pool.Stop();
    EXPECT_TRUE(pool.Stopped());
    auto late = Task(longRead);
    pool.Submit(late, {2});
    pool.Wait(*dropped);
    pool.Wait(*cut);
    pool.Wait(*late);
    EXPECT_EQ(workerRuns.load(), 1);
    EXPECT_EQ(ownerRuns.load(), 3);
  }
  Signal second;
  {
    TaskPool pool(3);
    auto endless = Task([&](StopFlag stop) {
      second.Set();
      while (stop != nullptr && !stop->load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      return stop == nullptr;
    });
    pool.Submit(endless, {0});
    second.WaitSet();
  }
}

TEST(TaskPool, ATaskThrowsOnlyForItsWaiter) {
  for (int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    TaskPool pool(threads);
    auto throwing = Task([](StopFlag) -> bool { throw std::runtime_error("unreadable"); });
    auto fine = Task([](StopFlag) { return true; });
    pool.Submit(throwing, {0});
    pool.Submit(fine, {1});
    EXPECT_THROW(pool.Wait(*throwing), std::runtime_error);
    EXPECT_THROW(pool.Wait(*throwing), std::runtime_error);
    EXPECT_NO_THROW(pool.Wait(*fine));
  }
}

TEST(TaskPool, ThreadCountFromTheEnvironment) {
  int processors = 0;
  {
    test::ScopedEnvironment unset(L"ORVELLE_THREADS", L"");
    processors = TaskPool::ConfiguredThreads();
  }
  EXPECT_GE(processors, 4);
  EXPECT_LE(processors, 8);
  struct Case {
    const wchar_t* value;
    int threads;
  };
  const Case cases[] = {{L"1", 1},          {L"4", 4},          {L"64", 64},
                        {L"0", processors}, {L"65", processors}, {L"-2", processors},
                        {L"4x", processors}, {L"many", processors}};
  for (const Case& c : cases) {
    test::ScopedEnvironment value(L"ORVELLE_THREADS", c.value);
    EXPECT_EQ(TaskPool::ConfiguredThreads(), c.threads) << c.value;
  }
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// A folder-like task: it makes and queues its children, keyed after its own
// key, as a folder's listing queues its files and subfolders. A leaf does
// some work that a stop may cut short.
class NodeTask : public PoolTask {
 public:
  NodeTask(int id, int depth) : id_(id), depth_(depth) {}

  int id() const { return id_; }
  int result() const { return result_; }
  const std::vector<std::shared_ptr<NodeTask>>& children() const { return children_; }

 protected:
  bool Run(TaskPool& pool, StopFlag stop) override {
    if (depth_ == 0) {
      for (int step = 0; step < 50; ++step) {
        if (stop != nullptr && stop->load()) return false;
        std::this_thread::yield();
      }
      result_ = id_ * 7;
      return true;
    }
    children_.clear();
    Key key = TaskKey();
    key.push_back(0);
    for (int i = 0; i < 3; ++i) {
      children_.push_back(std::make_shared<NodeTask>(id_ * 3 + i + 1, depth_ - 1));
      pool.Submit(children_.back(), key);
      ++key.back();
    }
    result_ = id_ * 7;
    return true;
  }

 private:
  const int id_, depth_;
  int result_ = -1;
  std::vector<std::shared_ptr<NodeTask>> children_;
};

// The owner walks the tasks depth first, as the tree is filled, waiting for
// each; in some rounds it stops the pool half-way (as a cancel does) and
// goes on waiting. Every round ends with every result, in the same order,
// and no worker left: a lost wakeup or a deadlock hangs the test, a race
// gives a wrong or missing result.
TEST(TaskPool, ManyRoundsOfNestedTasksWithStopsEndWithEveryResult) {
  const int kRoots = 4, kDepth = 3;
  std::vector<int> expected;
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE(round);
    TaskPool pool(2 + round % 4);
    std::vector<std::shared_ptr<NodeTask>> roots;
    for (int r = 0; r < kRoots; ++r) {
      roots.push_back(std::make_shared<NodeTask>(1000 * (r + 1), kDepth));
      pool.Submit(roots.back(), {static_cast<uint32_t>(r)});
    }
    const int stopAt = round % 3 == 0 ? -1 : (round * 37) % 60;
    std::vector<int> seen;
    std::function<void(NodeTask&)> walk = [&](NodeTask& task) {
      if (static_cast<int>(seen.size()) == stopAt) pool.Stop();
      pool.Wait(task);
      ASSERT_EQ(task.result(), task.id() * 7);
      seen.push_back(task.id());
      for (const std::shared_ptr<NodeTask>& child : task.children()) walk(*child);
    };
    for (const std::shared_ptr<NodeTask>& root : roots) walk(*root);
    if (expected.empty()) expected = seen;
    EXPECT_EQ(seen, expected);
  }
  EXPECT_EQ(expected.size(), static_cast<size_t>(kRoots * (1 + 3 + 9 + 27)));
}

}  // namespace
}  // namespace orvelle
