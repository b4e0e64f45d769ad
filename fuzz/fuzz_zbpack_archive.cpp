// zbpack list, verify and extract on arbitrary installers, in process. The input is written
// to a file and each command runs on it; extract writes into a folder that already holds a
// symbolic link and a FIFO named like likely members, and the file the link points to must
// stay untouched whatever the archive says. Sanitizers catch reads past buffers and the like.
#include <dirent.h>
#include <fcntl.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zbpack/cli/commands.h"

namespace {

constexpr char kCanaryText[] = "canary";

std::string workDir;
int savedErr = -1;  // the real stderr
int nullFd = -1;

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);
}

// Removes what extract made, keeping the link and the FIFO.
void EmptyOutput(const std::string& out) {
  DIR* dir = opendir(out.c_str());
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || name == "a.txt" || name == "b.txt") continue;
    unlink((out + "/" + name).c_str());
  }
  closedir(dir);
}

int Run(std::initializer_list<const char*> args) {
  char* argv[8];
  int argc = 0;
  for (const char* arg : args) argv[argc++] = const_cast<char*>(arg);
  argv[argc] = nullptr;
  if (std::strcmp(argv[0], "list") == 0) return RunListCommand(argc, argv);
  if (std::strcmp(argv[0], "verify") == 0) return RunVerifyCommand(argc, argv);
  return RunExtractCommand(argc, argv);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/zbfuzz-XXXXXX";
  if (mkdtemp(pattern) == nullptr) std::abort();
  workDir = pattern;
  WriteFile(workDir + "/canary", reinterpret_cast<const uint8_t*>(kCanaryText),
            sizeof kCanaryText - 1);
  const std::string out = workDir + "/out";
  if (mkdir(out.c_str(), 0777) != 0 || symlink("../canary", (out + "/a.txt").c_str()) != 0 ||
      mkfifo((out + "/b.txt").c_str(), 0666) != 0) {
    std::abort();
  }
  // The commands' output is noise here: stdout goes to the null device for good, stderr while
  // they run. Sanitizer reports still reach the real stderr.
  savedErr = dup(2);
  nullFd = open("/dev/null", O_WRONLY);
  if (savedErr < 0 || nullFd < 0) std::abort();
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(savedErr)));
  dup2(nullFd, 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string installer = workDir + "/in.exe";
  const std::string out = workDir + "/out";
  WriteFile(installer, data, size);
  std::fflush(stderr);
  dup2(nullFd, 2);
  Run({"list", installer.c_str()});
  Run({"list", "--json", "--codepage", "437", installer.c_str()});
  Run({"verify", installer.c_str()});
  Run({"verify", "--json", installer.c_str()});
  Run({"extract", "--force", "-C", out.c_str(), installer.c_str()});
  std::fflush(stderr);
  dup2(savedErr, 2);
  EmptyOutput(out);
  struct stat canary;
  if (stat((workDir + "/canary").c_str(), &canary) != 0 ||
      canary.st_size != static_cast<off_t>(sizeof kCanaryText - 1)) {
    std::abort();  // written through the link
  }
  return 0;
}
