#include "zbpack/operations/pack_signing.h"

#ifndef _WIN32
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "archive/archive_end.h"
#include "zbpack/host/printable_text.h"
#include "zbpack/operations/verify_installer.h"

namespace {

bool EndsWithSignature(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  const ArchiveEnd end = LocateArchiveEndInFile(file);
  std::fclose(file);
  return IsSigned(end);
}

// Runs command through the shell; its result as std::system gives it (-1: could not run).
// On POSIX the path is never part of the command's text: sh runs it as "$1", so no quoting
// that the user wrote around %1 can let the path's characters act as shell code.
int RunSigningCommand(const std::string& command, const std::string& path) {
#ifdef _WIN32
  (void)path;
  // cmd.exe /c drops the first and the last quote of a line that starts with one; a pair
  // around the whole line keeps a quoted program path intact.
  return std::system(("\"" + command + "\"").c_str());
#else
  // A path that begins with '-' would read as an option to the signer.
  std::string argument = path[0] == '-' ? "./" + path : path;
  std::string shell = "sh", flag = "-c", script = command, name = "zbpack";
  char* argv[] = {&shell[0], &flag[0], &script[0], &name[0], &argument[0], nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "sh", nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
#endif
}

// std::system's result in words: the command's exit code, or how it ended otherwise.
std::string DescribeStatus(int status) {
#ifndef _WIN32
  if (status != -1 && WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
  if (status != -1 && WIFSIGNALED(status))
    return "killed by signal " + std::to_string(WTERMSIG(status));
#endif
  return status == -1 ? "could not run" : "exit code " + std::to_string(status);
}

bool FailAndRemove(const std::string& path, const std::string& message,
                   std::vector<Problem>* failures) {
  std::remove(path.c_str());
  failures->push_back(Problem{path, message + "; the installer was removed"});
  return false;
}

}  // namespace

std::string SigningCommandFor(const std::string& commandTemplate, const std::string& path) {
#ifdef _WIN32
  const std::string quoted = "\"" + path + "\"";  // a Windows path holds no double quote
#else
  (void)path;
#endif
  std::string command;
  char quote = 0;  // the shell quote the template has open at i: 0, '\'' or '"'
  for (size_t i = 0; i < commandTemplate.size(); ++i) {
    const char c = commandTemplate[i];
    if (commandTemplate.compare(i, 2, "%1") == 0) {
#ifdef _WIN32
      command += quoted;
#else
      // One word that sh expands to the path: within the user's double quotes $1 is one
      // already; single quotes are closed around "$1", which they would not expand.
      command += quote == '"' ? "$1" : quote == '\'' ? "'\"$1\"'" : "\"$1\"";
#endif
      ++i;
      continue;
    }
    command += c;
    if (c == '\\' && quote != '\'' && i + 1 < commandTemplate.size()) {
      command += commandTemplate[++i];  // an escaped character opens or closes nothing
    } else if ((c == '\'' || c == '"') && (quote == 0 || quote == c)) {
      quote = quote == 0 ? c : 0;
    }
  }
  return command;
}

bool SignPackedInstaller(const std::string& commandTemplate, const std::string& path,
                         uint32_t codePage, const WorkObserver& observer,
                         std::vector<Problem>* failures) {
  const std::string command = SigningCommandFor(commandTemplate, path);
  ObserveLine(observer, "signing: " + Printable(command));
  const int status = RunSigningCommand(command, path);
  if (status != 0) {
    return FailAndRemove(path, "the signing command failed (" + DescribeStatus(status) + ")",
                         failures);
  }
  if (!EndsWithSignature(path)) {
    return FailAndRemove(
        path, "the signing command left no certificate table at the end of the file", failures);
  }
  VerifyOptions options;
  options.codePage = codePage;
  const VerifyReport report = VerifyInstaller(path, options, observer);
  const std::optional<Problem> failure = VerifyFailure(report);
  if (failure) {
    failures->push_back(*failure);
    return FailAndRemove(path, "the signed installer does not verify", failures);
  }
  for (const std::string& line : report.summary) ObserveLine(observer, line);
  return true;
}
