#include "zbpack/pack_signing.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>

#include "archive/archive_end.h"
#include "zbpack/cli_report.h"
#include "zbpack/commands.h"

namespace {

// One argument for the shell, whatever the path holds.
std::string QuotedForShell(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";  // a Windows path cannot contain a double quote
#else
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
#endif
}

bool EndsWithSignature(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const ArchiveEnd end = LocateArchiveEndInFile(file);
  std::fclose(file);
  return IsSigned(end);
}

// std::system's result in words: the command's exit code, or how it ended otherwise.
std::string DescribeStatus(int status) {
#ifndef _WIN32
  if (status != -1 && WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
  if (status != -1 && WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
#endif
  return status == -1 ? "could not run" : "exit code " + std::to_string(status);
}

int FailAndRemove(const std::string& path, const std::string& message) {
  std::remove(path.c_str());
  return ReportFailure(path, message + "; the installer was removed");
}

}  // namespace

std::string SigningCommandFor(const std::string& commandTemplate, const std::string& path) {
  std::string command;
  for (size_t i = 0; i < commandTemplate.size(); ++i) {
    if (commandTemplate.compare(i, 2, "%1") == 0) {
      command += QuotedForShell(path);
      ++i;
    } else {
      command += commandTemplate[i];
    }
  }
  return command;
}

int SignPackedInstaller(const std::string& commandTemplate, const std::string& path) {
  std::string command = SigningCommandFor(commandTemplate, path);
  std::printf("signing: %s\n", command.c_str());
  std::fflush(stdout);
#ifdef _WIN32
  // cmd.exe /c drops the first and the last quote of a line that starts with one; a pair
  // around the whole line keeps a quoted program path intact.
  command = "\"" + command + "\"";
#endif
  const int status = std::system(command.c_str());
  if (status != 0) {
    return FailAndRemove(path, "the signing command failed (" + DescribeStatus(status) + ")");
  }
  if (!EndsWithSignature(path)) {
    return FailAndRemove(path,
                         "the signing command left no certificate table at the end of the file");
  }
  std::string verifyName = "verify";
  std::string verifyPath = path;
  char* verifyArgs[] = {&verifyName[0], &verifyPath[0], nullptr};
  if (RunVerifyCommand(2, verifyArgs) != kExitSuccess) {
    return FailAndRemove(path, "the signed installer does not verify");
  }
  return kExitSuccess;
}
