// The sample installer's own setup program: run by the install script from the work
// directory, it copies the product's files into C:\ZubrexDemo\ and writes an install log, so
// that the demo leaves something to see once the work directory is gone.
// Usage: demo-setup FILE... (names relative to the current directory)
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  const char* target = "C:\\ZubrexDemo\\";
  CreateDirectoryA(target, nullptr);
  char logPath[MAX_PATH];
  std::snprintf(logPath, sizeof logPath, "%sinstall.log", target);
  FILE* log = std::fopen(logPath, "w");
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  if (log != nullptr) std::fprintf(log, "installed from %s\n", current);
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    char destination[MAX_PATH];
    std::snprintf(destination, sizeof destination, "%s%s", target, argv[i]);
    const bool copied = CopyFileA(argv[i], destination, FALSE) != FALSE;
    if (!copied) ++failures;
    if (log != nullptr) std::fprintf(log, "%s %s\n", copied ? "copied" : "FAILED", argv[i]);
  }
  if (log != nullptr) std::fclose(log);
  // Gives the status line time to be seen, as a real setup program would take.
  Sleep(1500);
  return failures;
}
