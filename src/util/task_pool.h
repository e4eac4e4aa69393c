// A small pool of worker threads that does a job's slow reading ahead of the
// thread that uses the results. The host calls the plugin on one thread, and
// under Wine opening and reading a file costs far more than what is done
// with the bytes, so a comparison spends its time waiting for files; a few
// threads reading side by side shorten that wait.
//
// Tasks are taken in the order of their keys: a key is a path of numbers,
// and keys sort like the entries of a tree walked depth first (a key before
// the keys that extend it). The host's thread consumes the results in that
// same order, so the workers always work on what it needs next.
//
// Everything the workers share with the thread that owns the pool is guarded
// here, by one lock: the queue, the state of each task, and the stop flag.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <queue>
#include <thread>
#include <vector>

namespace orvelle {

class TaskPool;

// Set when the pool stops; a long task looks at it between steps.
using StopFlag = const std::atomic<bool>*;

class PoolTask {
 public:
  using Key = std::vector<uint32_t>;

  PoolTask() = default;
  PoolTask(const PoolTask&) = delete;
  PoolTask& operator=(const PoolTask&) = delete;
  virtual ~PoolTask() = default;

  const Key& TaskKey() const { return key_; }

 protected:
  // Does the work. `stop` is null when the owner's thread runs the task: it
  // needs the result and the task must finish. A worker's run may end early
  // once *stop is set and then answers false: the task counts as not done,
  // and the owner's thread runs it again should it still need the result.
  // Exceptions are caught and handed to the thread that waits for the task.
  virtual bool Run(TaskPool& pool, StopFlag stop) = 0;

 private:
  friend class TaskPool;
  enum class State { Pending, Running, Done };
  Key key_;
  State state_ = State::Pending;  // guarded by the pool's lock
  std::exception_ptr error_;      // guarded by the pool's lock
};

class TaskPool {
 public:
  // threads: how many threads run tasks, the owner's thread included (it
  // runs the task it waits for when no worker has taken it yet). 1 or less:
  // no worker at all, every task runs on the owner's thread when it is
  // waited for, in the order of the waits.
  explicit TaskPool(int threads);
  TaskPool(const TaskPool&) = delete;
  TaskPool& operator=(const TaskPool&) = delete;
  // Stops and joins the workers: no worker outlives its pool.
  ~TaskPool();

  // Queues a task under its key (from any thread: a task queues the tasks
  // it finds). A pool that has stopped queues nothing; such a task runs
  // only if the owner waits for it.
  void Submit(std::shared_ptr<PoolTask> task, PoolTask::Key key);

  // The owner's thread: returns once the task is done, rethrowing what it
  // threw. Meanwhile it runs the task itself when no worker has taken it,
  // or helps with the earliest waiting task.
  void Wait(PoolTask& task);

  // Drops every queued task and asks running ones to end early. Workers
  // stay until the pool is destroyed. Any thread; more calls do nothing.
  void Stop();
  bool Stopped() const { return stop_.load(); }

  int Workers() const { return static_cast<int>(workers_.size()); }

  // The thread count a comparison uses: the variable ORVELLE_THREADS when it
  // holds a number from 1 to 64, else the number of processors, at least 4
  // and at most 8.
  static int ConfiguredThreads();

 private:
  struct Later {
    bool operator()(const std::shared_ptr<PoolTask>& a, const std::shared_ptr<PoolTask>& b) const {
      return b->key_ < a->key_;
    }
  };

  void WorkerLoop() noexcept;
  // Runs a claimed task on this thread and records how it ended; with the
  // lock held on entry and on return.
  void RunClaimed(PoolTask& task, StopFlag stop, std::unique_lock<std::mutex>& lock);
  std::shared_ptr<PoolTask> TakeEarliest();

  std::mutex lock_;
  std::condition_variable work_;  // a task was queued, or the pool stops
  std::condition_variable done_;  // a task ended
  std::priority_queue<std::shared_ptr<PoolTask>, std::vector<std::shared_ptr<PoolTask>>, Later>
      queue_;
  std::atomic<bool> stop_{false};
  std::vector<std::thread> workers_;
};

}  // namespace orvelle
