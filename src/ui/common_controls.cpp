#include "ui/common_controls.h"

#include <windows.h>

namespace {

using InitCommonControlsFn = void(WINAPI*)();
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

// LOAD_LIBRARY_SEARCH_SYSTEM32, spelt out: older SDK headers lack it.
constexpr DWORD kSearchSystem32 = 0x00000800;

InitCommonControlsFn initCommonControls = nullptr;

// GetProcAddress returns a generic FARPROC; cast through void* to the real signature.
template <typename Fn>
Fn LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HMODULE LoadComctl32() {
  // Systems with the search flags (Windows 8, or 7 and Vista with KB2533623) take the flag;
  // the others reject it as an invalid parameter and get the full path instead.
  HMODULE module = LoadLibraryExA("comctl32.dll", nullptr, kSearchSystem32);
  if (module != nullptr) {
    return module;
  }
  static const char kName[] = "\\comctl32.dll";
  char path[MAX_PATH];
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + sizeof kName > MAX_PATH) {
    return nullptr;
  }
  for (UINT i = 0; i < sizeof kName; ++i) {
    path[length + i] = kName[i];
  }
  return LoadLibraryA(path);
}

}  // namespace

void RestrictDllSearchToSystem() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) {
    return;
  }
  const auto setDefault = LookUp<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(kSearchSystem32)) {
    return;
  }
  const auto setDirectory = LookUp<SetDllDirectoryFn>(kernel, "SetDllDirectoryA");
  if (setDirectory != nullptr) {
    setDirectory("");
  }
}

bool LoadCommonControls() {
  if (initCommonControls == nullptr) {
    // The module stays loaded for the life of the process: its window class lives in it.
    const HMODULE module = LoadComctl32();
    if (module == nullptr) {
      return false;
    }
    initCommonControls = LookUp<InitCommonControlsFn>(module, "InitCommonControls");
    if (initCommonControls == nullptr) {
      return false;
    }
  }
  initCommonControls();
  return true;
}
