#include "util/task_pool.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

namespace orvelle {

namespace {
constexpr int kMaxThreads = 64;
// A comparison waits on opening files more than it computes (under Wine each
// open is a round trip to the server): more threads than processors still
// shorten it, up to a point.
constexpr int kMinDefaultThreads = 4;
constexpr int kMaxDefaultThreads = 8;
}  // namespace

TaskPool::TaskPool(int threads) {
  try {
    for (int i = 1; i < std::min(threads, kMaxThreads); ++i) {
      workers_.emplace_back([this] { WorkerLoop(); });
    }
  } catch (...) {
    // A thread the system refuses leaves fewer workers; the owner's thread
    // does the rest.
  }
}

TaskPool::~TaskPool() {
  Stop();
  for (std::thread& worker : workers_) worker.join();
}

void TaskPool::Submit(std::shared_ptr<PoolTask> task, PoolTask::Key key) {
  std::lock_guard<std::mutex> guard(lock_);
  task->key_ = std::move(key);
  // Without workers the owner runs each task when it waits for it.
  if (workers_.empty() || stop_) return;
  queue_.push(std::move(task));
  work_.notify_one();
}

void TaskPool::Wait(PoolTask& task) {
  std::unique_lock<std::mutex> lock(lock_);
  for (;;) {
    if (task.state_ == PoolTask::State::Done) {
      if (task.error_) std::rethrow_exception(task.error_);
      return;
    }
    if (task.state_ == PoolTask::State::Pending) {
      task.state_ = PoolTask::State::Running;
      RunClaimed(task, nullptr, lock);
      continue;
    }
    // A worker has it: meanwhile this thread is one more worker.
    if (std::shared_ptr<PoolTask> other = TakeEarliest()) {
      RunClaimed(*other, nullptr, lock);
      continue;
    }
    done_.wait(lock);
  }
}

void TaskPool::Stop() {
  decltype(queue_) dropped;
  {
    std::lock_guard<std::mutex> guard(lock_);
    stop_ = true;
    std::swap(dropped, queue_);
  }
  work_.notify_all();
  done_.notify_all();
  // The dropped tasks are released here, outside the lock.
}

void TaskPool::WorkerLoop() noexcept {
  // No exception leaves a worker (it would end the host's process): a
  // task's own are handed to its waiter, and what the pool's own locking
  // might throw ends only this worker; the owner's thread does the rest.
  try {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
      work_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      if (std::shared_ptr<PoolTask> task = TakeEarliest()) RunClaimed(*task, &stop_, lock);
    }
  } catch (...) {
  }
}

std::shared_ptr<PoolTask> TaskPool::TakeEarliest() {
  while (!queue_.empty()) {
    std::shared_ptr<PoolTask> task = queue_.top();
    queue_.pop();
    // The owner may have run it already, waiting for it.
    if (task->state_ != PoolTask::State::Pending) continue;
    task->state_ = PoolTask::State::Running;
    return task;
  }
  return nullptr;
}

void TaskPool::RunClaimed(PoolTask& task, StopFlag stop, std::unique_lock<std::mutex>& lock) {
  lock.unlock();
  bool finished = true;
  std::exception_ptr error;
  try {
    finished = task.Run(*this, stop);
  } catch (...) {
    error = std::current_exception();
  }
  lock.lock();
  task.error_ = error;
  task.state_ = finished ? PoolTask::State::Done : PoolTask::State::Pending;
  done_.notify_all();
}

int TaskPool::ConfiguredThreads() {
  wchar_t text[16] = {};
  DWORD n = ::GetEnvironmentVariableW(L"ORVELLE_THREADS", text, static_cast<DWORD>(std::size(text)));
  if (n > 0 && n < std::size(text)) {
    wchar_t* end = nullptr;
    long value = std::wcstol(text, &end, 10);
    if (end != text && *end == L'\0' && value >= 1 && value <= kMaxThreads) {
      return static_cast<int>(value);
    }
  }
  SYSTEM_INFO info{};
  ::GetNativeSystemInfo(&info);
  return std::clamp(static_cast<int>(info.dwNumberOfProcessors), kMinDefaultThreads,
                    kMaxDefaultThreads);
}

}  // namespace orvelle
