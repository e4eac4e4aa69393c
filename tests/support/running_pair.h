// The fixture pair as a user has it: both installations prepared in a
// temporary folder, the New one running idle, and My installation's harness
// loading the plugin for each run.
#pragma once

#include "support/process_runner.h"
#include "support/temp_dir.h"

#include <functional>
#include <string>

namespace orvelle::test {

// Where the pair is made and what is changed before the New one starts.
struct PairLayout {
  std::wstring myName = L"My installation";    // folder names below the
  std::wstring newName = L"New installation";  // temporary folder
  // Alters the prepared installations (My, New) before the New one starts.
  std::function<void(const std::wstring& myDir, const std::wstring& newDir)> change;
};

class RunningPair {
 public:
  // Prepares both sides and starts the New installation; a failure is
  // reported through Ready() and a gtest failure.
  explicit RunningPair(const PairLayout& layout = {});
  bool Ready() const { return ready_; }

  const std::wstring& MyDir() const { return my_; }
  const std::wstring& NewDir() const { return new_; }
  const std::wstring& Root() const { return root_.Path(); }

  // My installation's harness loading the plugin and running `arguments`
  // (options and commands as the harness takes them).
  ProcessResult RunMy(const std::wstring& arguments, DWORD timeoutMs = 180000) const;

 private:
  TempDir root_;
  std::wstring my_;
  std::wstring new_;
  std::wstring plugin_;
  BackgroundProcess idle_;
  bool ready_ = false;
};

}  // namespace orvelle::test
