#include "compare/read_ahead.h"

#include <utility>

namespace orvelle {

FilePairRead::FilePairRead(std::wstring newFile, std::wstring myFile)
    : newFile_(std::move(newFile)), myFile_(std::move(myFile)) {}

FilePairRead::FilePairRead(std::wstring newFile, const FileFacts& newFacts, std::wstring myFile,
                           const FileFacts& myFacts)
    : newFile_(std::move(newFile)), myFile_(std::move(myFile)), newFacts_(newFacts),
      myFacts_(myFacts) {}

bool FilePairRead::Run(TaskPool&, StopFlag stop) {
  if (newFacts_ && myFacts_) {
    verdict_ = CompareFilesWithFacts(newFile_, *newFacts_, myFile_, *myFacts_, stop);
  } else {
    verdict_ = CompareFiles(newFile_, myFile_, stop);
  }
  // A reading cut short says nothing: the verdict is read again if needed.
  return stop == nullptr || !stop->load();
}

std::shared_ptr<FilePairRead> StartFileComparison(CompareContext& ctx, const std::wstring& newFile,
                                                  const std::wstring& myFile) {
  auto read = std::make_shared<FilePairRead>(newFile, myFile);
  ctx.Pool().Submit(read, ctx.NextKey());
  return read;
}

const FileVerdict& FileComparisonResult(CompareContext& ctx, FilePairRead& read) {
  ctx.Pool().Wait(read);
  return read.Verdict();
}

}  // namespace orvelle
