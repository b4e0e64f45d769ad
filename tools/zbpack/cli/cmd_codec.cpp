// zbpack implode / explode: the command lines of ImplodeFile and ExplodeFile.
#include <iterator>
#include <string>
#include <vector>

#include "zbpack/cli/cli_options.h"
#include "zbpack/cli/cli_report.h"
#include "zbpack/cli/commands.h"
#include "zbpack/cli/option_values.h"
#include "zbpack/operations/codec_files.h"

namespace {

// implode's and explode's command lines: the implode settings, and IN and OUT.
struct CodecCommand {
  ImplodeChoice implode;
  std::vector<std::string> files;  // IN, OUT
};

std::string TakeFile(CodecCommand& command, const std::string& text, bool) {
  if (command.files.size() == 2) return "too many arguments";
  command.files.push_back(text);
  return "";
}

std::string NeedTwoFiles(CodecCommand& command) {
  return command.files.size() == 2 ? "" : "needs IN and OUT";
}

template <const char* option>
std::string SetImplodeChoice(CodecCommand& command, const std::vector<std::string>& values) {
  return ParseImplodeOption(option, values[0], &command.implode);
}

constexpr char kDict[] = "--dict", kLevel[] = "--level", kThreads[] = "--threads";

constexpr Option<CodecCommand> kImplodeOptions[] = {
    {{"--ascii", nullptr, nullptr, nullptr, " | "},
     [](CodecCommand& command, const std::vector<std::string>&) {
       command.implode.asciiLiterals = true;
       return std::string();
     }},
    {{"--binary", nullptr, nullptr, "implode literal coding (default --binary)"},
     [](CodecCommand& command, const std::vector<std::string>&) {
       command.implode.asciiLiterals = false;
       return std::string();
     }},
    {{kDict, nullptr, "1024|2048|4096", "implode dictionary size in bytes (default 4096)"},
     SetImplodeChoice<kDict>},
    {{kLevel, nullptr, "N", "effort, 1 fastest to 9 smallest (default 9)"},
     SetImplodeChoice<kLevel>},
    {{kThreads, nullptr, "N",
      "threads of levels 8 and 9, 0 to 64 (default 0: all\n"
      "cores); the output is the same for any N"},
     SetImplodeChoice<kThreads>},
};

constexpr CommandLine<CodecCommand> kImplodeLine = {
    "implode",
    "usage: zbpack implode [--binary|--ascii] [--dict 1024|2048|4096] [--level N]\n"
    "                      [--threads N] IN OUT\n"
    "Implodes the plain file IN into OUT.\n",
    kImplodeOptions,
    std::size(kImplodeOptions),
    "",
    TakeFile,
    NeedTwoFiles,
};

constexpr CommandLine<CodecCommand> kExplodeLine = {
    "explode",
    "usage: zbpack explode IN OUT\n"
    "Explodes the plain implode stream IN into OUT.\n",
    nullptr,
    0,
    "",
    TakeFile,
    NeedTwoFiles,
};

// The exit code for the codec's outcome, after reporting a failure.
int Outcome(const std::optional<Problem>& failure) {
  return failure ? ReportFailure(failure->what, failure->message) : kExitSuccess;
}

}  // namespace

std::string ImplodeHelp() { return CommandHelp(kImplodeLine); }
std::string ExplodeHelp() { return CommandHelp(kExplodeLine); }

int RunImplodeCommand(int argc, char** argv) {
  CodecCommand command;
  const std::string usage = ParseCommandLine(kImplodeLine, argc, argv, &command);
  if (!usage.empty()) return ReportCommandUsage(kImplodeLine.command, kImplodeLine.command, usage);
  ImplodeSettings settings;
  settings.mode = command.implode.asciiLiterals ? 1 : 0;
  settings.dictBits = static_cast<uint8_t>(ImplodeDictBits(command.implode.dictionarySize));
  if (command.implode.level) settings.level = static_cast<uint8_t>(*command.implode.level);
  settings.threads = command.implode.threads;
  return Outcome(ImplodeFile(command.files[0], command.files[1], settings));
}

int RunExplodeCommand(int argc, char** argv) {
  CodecCommand command;
  const std::string usage = ParseCommandLine(kExplodeLine, argc, argv, &command);
  if (!usage.empty()) return ReportCommandUsage(kExplodeLine.command, kExplodeLine.command, usage);
  return Outcome(ExplodeFile(command.files[0], command.files[1]));
}
