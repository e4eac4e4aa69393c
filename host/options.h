// The harness's command line: the host's own "/i=" parameter, the harness
// options, then the commands that drive the plugin, run in order.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tchost {

enum class CommandKind { List, Tree, Exec, Get, Delete, Icon, Fields, Root, Pump, Show, Unload,
                         Load };

struct Command {
  CommandKind kind = CommandKind::List;
  std::vector<std::wstring> args;  // paths and the verb, as given
  int flags = 0;                   // get: the copy flags
  double seconds = 0;              // pump: how long
};

enum class Answer { Yes, No, Ok, Cancel };

struct Options {
  std::optional<std::wstring> iniFile;  // from /i=, quotes removed
  std::optional<std::wstring> pluginFile;
  std::vector<Answer> answers;
  // Beside each answer: a command run on the host's thread while the
  // message box is still open, before it is answered ("yes@list \Backup"),
  // as the host does when a re-read arrives while the plugin asks.
  std::vector<std::optional<Command>> answerCommands;
  // --press: for the n-th dialog, the texts of the controls to press.
  std::vector<std::vector<std::wstring>> presses;
  std::wstring captureDir;  // --capture: pictures of dialogs and panels
  std::wstring recordFile;  // --record: where started harnesses record themselves
  bool printProgress = false;
  bool printTimes = false;              // each command's duration, on stderr
  bool forceAnsi = false;               // --ansi: the ANSI entry points even beside wide ones
  int cancelAt = 0;                     // 0: never cancel
  std::optional<double> idleSeconds;
  bool help = false;
  std::vector<Command> commands;
};

// Parses the arguments after the program name. Returns nullopt and a message
// in `error` for an unknown option, a missing or malformed value, or an
// unknown command. Host parameters other than /i= ("/O", "/S", "/R=...", as
// the plugin passes when it starts the host) are accepted and ignored.
std::optional<Options> ParseOptions(const std::vector<std::wstring>& args, std::wstring& error);

std::wstring UsageText();

std::wstring AnswerName(Answer answer);

}  // namespace tchost
