// plant_probe: loads comctl32.dll by its bare name with the default search, as a program that
// does not guard its DLL search would. Exit code 0 when a module was loaded, 1 when none was.
// Prints the WINEDLLOVERRIDES it runs with and the loaded module's path.
#include <windows.h>

#include <cstdio>

int main() {
  char overrides[1024] = "";
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
  std::printf("WINEDLLOVERRIDES=%s\n", overrides);
  HMODULE module = LoadLibraryA("comctl32.dll");
  if (module == nullptr) {
    std::printf("comctl32.dll not loaded: error %lu\n", GetLastError());
    return 1;
  }
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, MAX_PATH);
  std::printf("%s\n", path);
  return 0;
}
