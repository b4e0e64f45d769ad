// Stands in for comctl32.dll in the folder of a program under test. Whoever loads it leaves a
// marker file, "planted-dll-loaded.txt", in the DLL's own folder, holding the path of the
// loading program. It exports nothing: a program that needs comctl32's functions gets none.
#include <windows.h>

namespace {

constexpr char kMarkerName[] = "planted-dll-loaded.txt";

void LeaveMarker(HINSTANCE self) {
  char path[MAX_PATH + sizeof kMarkerName];
  DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  while (length > 0 && path[length - 1] != '\\') --length;
  lstrcpyA(path + length, kMarkerName);

  char loader[MAX_PATH];
  DWORD loaderLength = GetModuleFileNameA(nullptr, loader, MAX_PATH);
  HANDLE marker =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(marker, loader, loaderLength, &written, nullptr);
  CloseHandle(marker);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
  return TRUE;
}
