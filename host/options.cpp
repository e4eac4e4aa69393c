#include "options.h"

#include <cwchar>

namespace tchost {
namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t n = std::wcslen(prefix);
  return text.size() >= n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

std::optional<long long> ParseInteger(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  wchar_t* end = nullptr;
  errno = 0;
  long long value = std::wcstoll(text.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != L'\0') return std::nullopt;
  return value;
}

std::optional<double> ParseSeconds(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  wchar_t* end = nullptr;
  double value = std::wcstod(text.c_str(), &end);
  if (end == nullptr || *end != L'\0' || !(value >= 0) || value > 86400 * 7) return std::nullopt;
  return value;
}

bool ParseCommand(const std::vector<std::wstring>& args, size_t& i, Options& options,
                  std::wstring& error);

// "list \Backup" -> the command, its one argument being the rest of the text.
std::optional<Command> ParseAnswerCommand(const std::wstring& text) {
  const size_t space = text.find(L' ');
  std::vector<std::wstring> args{text.substr(0, space)};
  if (space != std::wstring::npos && space + 1 < text.size()) args.push_back(text.substr(space + 1));
  Options parsed;
  std::wstring error;
  size_t i = 0;
  if (!ParseCommand(args, i, parsed, error) || i != args.size()) return std::nullopt;
  return parsed.commands.front();
}

std::optional<std::vector<Answer>> ParseAnswers(const std::wstring& text,
                                                std::vector<std::optional<Command>>& commands) {
  std::vector<Answer> answers;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(L',', start);
    std::wstring word = text.substr(start, comma == std::wstring::npos ? std::wstring::npos
                                                                        : comma - start);
    std::optional<Command> command;
    if (const size_t at = word.find(L'@'); at != std::wstring::npos) {
      command = ParseAnswerCommand(word.substr(at + 1));
      if (!command) return std::nullopt;
      word.resize(at);
    }
    commands.push_back(std::move(command));
    if (_wcsicmp(word.c_str(), L"yes") == 0) {
      answers.push_back(Answer::Yes);
    } else if (_wcsicmp(word.c_str(), L"no") == 0) {
      answers.push_back(Answer::No);
    } else if (_wcsicmp(word.c_str(), L"ok") == 0) {
      answers.push_back(Answer::Ok);
    } else if (_wcsicmp(word.c_str(), L"cancel") == 0) {
      answers.push_back(Answer::Cancel);
    } else if (!word.empty() || !text.empty()) {
      return std::nullopt;
    } else {
      commands.pop_back();
    }
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  return answers;
}

// "Run My;Close" -> {"Run My", "Close"}; empty parts are dropped.
std::vector<std::wstring> SplitPresses(const std::wstring& text) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t semicolon = text.find(L';', start);
    std::wstring part = text.substr(start, semicolon == std::wstring::npos ? std::wstring::npos
                                                                            : semicolon - start);
    if (!part.empty()) parts.push_back(part);
    if (semicolon == std::wstring::npos) return parts;
    start = semicolon + 1;
  }
}

std::optional<CommandKind> CommandOf(const std::wstring& word) {
  static const struct {
    const wchar_t* name;
    CommandKind kind;
  } kCommands[] = {
      {L"list", CommandKind::List},     {L"tree", CommandKind::Tree},
      {L"exec", CommandKind::Exec},     {L"get", CommandKind::Get},
      {L"delete", CommandKind::Delete}, {L"icon", CommandKind::Icon},
      {L"fields", CommandKind::Fields}, {L"root", CommandKind::Root},
      {L"pump", CommandKind::Pump},     {L"show", CommandKind::Show},
      {L"unload", CommandKind::Unload}, {L"load", CommandKind::Load},
  };
  for (const auto& c : kCommands) {
    if (word == c.name) return c.kind;
  }
  return std::nullopt;
}

// Number of required path arguments of each command.
size_t RequiredArgs(CommandKind kind) {
  switch (kind) {
    case CommandKind::List:
    case CommandKind::Tree:
    case CommandKind::Exec:
    case CommandKind::Delete:
    case CommandKind::Icon:
    case CommandKind::Show:
      return 1;
    case CommandKind::Get:
      return 2;
    default:
      return 0;
  }
}

// Parses one command starting at args[i]; advances i past it.
bool ParseCommand(const std::vector<std::wstring>& args, size_t& i, Options& options,
                  std::wstring& error) {
  const std::wstring& word = args[i];
  std::optional<CommandKind> kind = CommandOf(word);
  if (!kind) {
    error = L"unknown command or option: " + word;
    return false;
  }
  ++i;
  Command command;
  command.kind = *kind;
  for (size_t n = RequiredArgs(*kind); n > 0; --n, ++i) {
    if (i >= args.size()) {
      error = word + L": missing argument";
      return false;
    }
    command.args.push_back(args[i]);
  }
  bool more = i < args.size() && !CommandOf(args[i]);
  if (*kind == CommandKind::Delete) {
    // A selection: further virtual paths (each starting with "\").
    while (i < args.size() && !CommandOf(args[i]) && args[i].starts_with(L"\\")) {
      command.args.push_back(args[i++]);
    }
  } else if (*kind == CommandKind::Exec) {
    command.args.push_back(more ? args[i++] : L"open");
  } else if (*kind == CommandKind::Get && more) {
    std::optional<long long> flags = ParseInteger(args[i]);
    if (!flags) {
      error = L"get: the copy flags must be a number: " + args[i];
      return false;
    }
    command.flags = static_cast<int>(*flags);
    ++i;
  } else if (*kind == CommandKind::Pump) {
    std::optional<double> seconds = i < args.size() ? ParseSeconds(args[i]) : std::nullopt;
    if (!seconds) {
      error = L"pump: expected a number of seconds";
      return false;
    }
    command.seconds = *seconds;
    ++i;
  }
  options.commands.push_back(std::move(command));
  return true;
}

// Parses one option at args[i] (which starts with "--" or "/"); advances i.
bool ParseOption(const std::vector<std::wstring>& args, size_t& i, Options& options,
                 std::wstring& error) {
  const std::wstring& arg = args[i++];
  if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
    options.help = true;
    return true;
  }
  if (arg == L"--progress") {
    options.printProgress = true;
    return true;
  }
  if (arg == L"--times") {
    options.printTimes = true;
    return true;
  }
  if (arg == L"--ansi") {
    options.forceAnsi = true;
    return true;
  }
  if (arg[0] == L'/') {
    if (StartsWithNoCase(arg, L"/i=")) {
      // The C runtime has removed the quotes of /i="C:\some dir\wincmd.ini";
      // a value quoted in a way it left alone loses them here.
      std::wstring value = arg.substr(3);
      std::erase(value, L'"');
      options.iniFile = value;
    }
    return true;
  }
  if (arg != L"--plugin" && arg != L"--answers" && arg != L"--cancel-at" && arg != L"--idle" &&
      arg != L"--press" && arg != L"--capture" && arg != L"--record" && arg != L"--show") {
    error = L"unknown option: " + arg;
    return false;
  }
  if (i >= args.size()) {
    error = arg + L": missing value";
    return false;
  }
  const std::wstring& value = args[i++];
  if (arg == L"--plugin") {
    options.pluginFile = value;
  } else if (arg == L"--press") {
    options.presses.push_back(SplitPresses(value));
  } else if (arg == L"--capture") {
    options.captureDir = value;
  } else if (arg == L"--record") {
    options.recordFile = value;
  } else if (arg == L"--show") {
    // The same as the command, in its place among the commands.
    Command command;
    command.kind = CommandKind::Show;
    command.args.push_back(value);
    options.commands.push_back(std::move(command));
  } else if (arg == L"--answers") {
    std::vector<std::optional<Command>> commands;
    std::optional<std::vector<Answer>> answers = ParseAnswers(value, commands);
    if (!answers) {
      error = L"--answers: expected a comma-separated list of yes, no, ok, cancel, each "
              L"optionally followed by @COMMAND: " + value;
      return false;
    }
    options.answers = *answers;
    options.answerCommands = std::move(commands);
  } else if (arg == L"--cancel-at") {
    std::optional<long long> n = ParseInteger(value);
    if (!n || *n < 1 || *n > 0x7FFFFFFF) {
      error = L"--cancel-at: expected a positive number: " + value;
      return false;
    }
    options.cancelAt = static_cast<int>(*n);
  } else {
    options.idleSeconds = ParseSeconds(value);
    if (!options.idleSeconds) {
      error = L"--idle: expected a number of seconds: " + value;
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::wstring>& args, std::wstring& error) {
  Options options;
  size_t i = 0;
  while (i < args.size()) {
    const std::wstring& arg = args[i];
    bool isOption = (arg.size() > 1 && arg[0] == L'-') || (!arg.empty() && arg[0] == L'/');
    bool ok = isOption ? ParseOption(args, i, options, error)
                       : ParseCommand(args, i, options, error);
    if (!ok) return std::nullopt;
  }
  if (options.idleSeconds && !options.commands.empty()) {
    error = L"--idle takes no commands";
    return std::nullopt;
  }
  return options;
}

std::wstring AnswerName(Answer answer) {
  switch (answer) {
    case Answer::Yes: return L"yes";
    case Answer::No: return L"no";
    case Answer::Ok: return L"ok";
    case Answer::Cancel: return L"cancel";
  }
  return L"?";
}

std::wstring UsageText() {
  return LR"USAGE(Usage: tchost [/i=INI] [OPTIONS] [COMMAND ...]
Loads the file-system plugin as the host file manager does and drives it.

Host parameters:
  /i=PATH, /i="PATH"   configuration file, set as COMMANDER_INI (default:
                       wincmd.ini beside the harness); other /X parameters
                       are ignored
Options:
  --plugin PATH        plugin to load (default: the plugin beside the harness)
  --ansi               call the ANSI entry points (text in the ANSI code page,
                       paths up to 259 characters) even when the plugin
                       exports the wide ones, which are called otherwise
  --answers LIST       answers to message boxes, in order: comma-separated
                       yes, no, ok, cancel; then the default button is pressed.
                       "yes@list \\Backup": first run the command (one
                       argument) while the message box is open, as the host
                       does when a re-read arrives then, then answer
  --progress           print every progress callback
  --times              print how long each command took, on stderr:
                       "time N SECONDS" for the N-th command (from 1);
                       "dialog N SECONDS" when its first dialog was left
  --cancel-at N        the N-th progress callback (from 1) answers "cancel"
  --idle SECONDS       load no plugin; keep the host window for that long or
                       until it is closed (a second running installation)
  --press LIST         for the next dialog shown (the n-th --press for the
                       n-th dialog): ";"-separated texts of controls to press
                       in order (a button is clicked, a check box ticked, a
                       drop-down list entry chosen); then Escape
  --capture DIR        write DIR\dialog-N.bmp of each dialog and
                       DIR\panel-N.bmp of each show command
  --record FILE        harnesses started from this one (by "Run", or with
                       /O /S /R=DIR) append their command line to FILE and end
  --show PATH          the show command, in its place
  --help               this text
Commands (run in order):
  list PATH            list a folder ("\" is the root) with both columns
  tree PATH            list a folder and every folder below it
  exec PATH [VERB]     FsExecuteFile (verb default "open")
  get REMOTE LOCAL [FLAGS]  FsGetFile
  delete PATH...       FsDeleteFile; several paths: one selection, between
                       FsStatusInfo(folder, start/end, delete)
  icon PATH            FsExtractCustomIcon (small icon)
  fields               the supported content fields and the default view
  root                 FsGetDefRootName
  pump SECONDS         process window messages for that long
  show PATH            list a folder in a window as the host's panel does
                       (until closed; with --capture: captured, then closed)
  unload               FreeLibrary the plugin, as a host that lets it go; the
                       commands after it that call the plugin print
                       "(unloaded)"
  load                 after unload: load the plugin again (FsInit anew), the
                       old copy's addresses kept taken so that it lands
                       elsewhere; "load -> 1 (another address)"
Output (UTF-8, "\n" line ends):
  listing lines: NAME<TAB>d|f<TAB>SIZE<TAB>ATTR<TAB>YYYY-MM-DD HH:MM:SS|0<TAB>SIGN<TAB>COMMENT
    tree: the full virtual path instead of NAME; an empty listing prints
    "(empty)", a refused one "(failed, error N)" (tree: for its start only)
  reread N                           the N-th re-read request to the host window
  msgbox "CAPTION" "TEXT" -> ANSWER  a message box and how it was answered
  dialog "CAPTION" ... end dialog -> ACTION   a dialog of the plugin: one
    "control CLASS "TEXT" [disabled] [checked] [clipped]" line per control
    in tab order, one "cell GRID ROW COL "TEXT" fg=N bg=N [framed]" line per
    grid cell, and what the harness did
Exit status: 0, or 1 for a bad command line, 2 when the plugin or one of its
entry points is missing.
)USAGE";
}

}  // namespace tchost
