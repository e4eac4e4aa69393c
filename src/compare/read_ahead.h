// The verdicts on file pairs, read on the comparison's pool of threads ahead
// of the step that puts them into the tree.
#pragma once

#include "compare/compare_context.h"
#include "util/task_pool.h"
#include "util/version_info.h"

#include <memory>
#include <optional>
#include <string>

namespace orvelle {

class FilePairRead : public PoolTask {
 public:
  // CompareFiles(newFile, myFile).
  FilePairRead(std::wstring newFile, std::wstring myFile);
  // The same from the facts a directory listing holds already: no second
  // look at either directory entry.
  FilePairRead(std::wstring newFile, const FileFacts& newFacts, std::wstring myFile,
               const FileFacts& myFacts);

  // Valid once the pool's Wait for the task has returned.
  const FileVerdict& Verdict() const { return verdict_; }

 protected:
  bool Run(TaskPool& pool, StopFlag stop) override;

 private:
  std::wstring newFile_, myFile_;
  std::optional<FileFacts> newFacts_, myFacts_;
  FileVerdict verdict_;
};

// Queues the comparison of two files as the context's next reading.
std::shared_ptr<FilePairRead> StartFileComparison(CompareContext& ctx, const std::wstring& newFile,
                                                  const std::wstring& myFile);

// The verdict of a queued comparison, once read (on this thread if no
// worker has taken it yet).
const FileVerdict& FileComparisonResult(CompareContext& ctx, FilePairRead& read);

}  // namespace orvelle
