// DLL planting: an installer is run from a folder that holds whatever else was downloaded, so
// it must take no DLL from its own folder. A comctl32.dll planted beside setup.exe, with Wine
// told to prefer a native comctl32.dll wherever the search finds one, must stay unloaded
// through a whole run whose progress bar works; the same DLL beside a program that loads
// comctl32 the ordinary way is loaded, which shows that the plant would be caught.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e_windows_support.h"

namespace e2e {
namespace {

using DllPlantingTest = seq::WindowSequence;

constexpr char kMarker[] = "planted-dll-loaded.txt";
constexpr DWORD kProbeMs = 20000;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Wine's load order for comctl32 set to native first for one program (by its file name) while
// the object lives: Wine then takes a comctl32.dll that the search finds before its own. The
// WINEDLLOVERRIDES variable cannot do this from here: Wine builds a child's WINE* variables
// from its own Unix environment, not from the environment block the child is given.
class NativeComctl32First {
 public:
  explicit NativeComctl32First(const std::string& program)
      : key_("Software\\Wine\\AppDefaults\\" + program) {
    HKEY overrides = nullptr;
    ok_ = RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE, nullptr, &overrides, nullptr) == ERROR_SUCCESS;
    if (ok_) {
      static const char kOrder[] = "native,builtin";
      ok_ = RegSetValueExA(overrides, "comctl32", 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(kOrder), sizeof kOrder) == ERROR_SUCCESS;
      RegCloseKey(overrides);
    }
  }
  ~NativeComctl32First() {
    RegDeleteKeyA(HKEY_CURRENT_USER, (key_ + "\\DllOverrides").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str());
  }
  bool ok() const { return ok_; }

 private:
  std::string key_;
  bool ok_ = false;
};

// The DLL names in a PE file's import and delay-import directories, read from the file.
// ok is false when the file is not a PE image this reader understands.
std::vector<std::string> ImportedDlls(const std::string& image, bool* ok) {
  *ok = false;
  std::vector<std::string> names;
  auto fits = [&](size_t offset, size_t size) {
    return offset <= image.size() && size <= image.size() - offset;
  };
  IMAGE_DOS_HEADER dos;
  if (!fits(0, sizeof dos)) return names;
  std::memcpy(&dos, image.data(), sizeof dos);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE) return names;
  IMAGE_NT_HEADERS nt;
  if (dos.e_lfanew < 0 || !fits(dos.e_lfanew, sizeof nt)) return names;
  std::memcpy(&nt, image.data() + dos.e_lfanew, sizeof nt);
  if (nt.Signature != IMAGE_NT_SIGNATURE ||
      nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR_MAGIC) {
    return names;
  }
  const size_t sectionsAt = dos.e_lfanew + offsetof(IMAGE_NT_HEADERS, OptionalHeader) +
                            nt.FileHeader.SizeOfOptionalHeader;
  std::vector<IMAGE_SECTION_HEADER> sections(nt.FileHeader.NumberOfSections);
  if (!fits(sectionsAt, sections.size() * sizeof(IMAGE_SECTION_HEADER))) return names;
  std::memcpy(sections.data(), image.data() + sectionsAt,
              sections.size() * sizeof(IMAGE_SECTION_HEADER));
  // File offset of an address relative to the image base; SIZE_MAX when in no section.
  auto offsetOf = [&](uint32_t rva) -> size_t {
    for (const IMAGE_SECTION_HEADER& s : sections) {
      const uint32_t size = s.Misc.VirtualSize > s.SizeOfRawData ? s.Misc.VirtualSize
                                                                 : s.SizeOfRawData;
      if (rva >= s.VirtualAddress && rva - s.VirtualAddress < size) {
        return s.PointerToRawData + (rva - s.VirtualAddress);
      }
    }
    return SIZE_MAX;
  };
  auto nameAt = [&](uint32_t rva) -> std::string {
    const size_t at = offsetOf(rva);
    if (at >= image.size()) return std::string();
    return std::string(image.c_str() + at, strnlen(image.c_str() + at, image.size() - at));
  };
  const IMAGE_DATA_DIRECTORY& imports =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress != 0) {
    for (size_t at = offsetOf(imports.VirtualAddress);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      IMAGE_IMPORT_DESCRIPTOR descriptor;
      if (!fits(at, sizeof descriptor)) return names;
      std::memcpy(&descriptor, image.data() + at, sizeof descriptor);
      if (descriptor.Name == 0) break;
      names.push_back(nameAt(descriptor.Name));
    }
  }
  const IMAGE_DATA_DIRECTORY& delayed =
      nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
  if (delayed.VirtualAddress != 0) {
    // IMAGE_DELAYLOAD_DESCRIPTOR: attributes, then the DLL name's address, 32 bytes in all.
    for (size_t at = offsetOf(delayed.VirtualAddress);; at += 32) {
      uint32_t fields[2];
      if (!fits(at, 32)) return names;
      std::memcpy(fields, image.data() + at, sizeof fields);
      if (fields[1] == 0) break;
      names.push_back(nameAt(fields[1]));
    }
  }
  *ok = true;
  return names;
}

bool SameName(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

TEST_F(DllPlantingTest, TheStubDoesNotImportComctl32) {
  const std::string stub = BinPath("zubrex-stub.exe");
  const std::string image = ReadText(stub);
  ASSERT_FALSE(image.empty()) << "cannot read " << stub;
  bool ok = false;
  const std::vector<std::string> dlls = ImportedDlls(image, &ok);
  ASSERT_TRUE(ok) << stub << " is not a PE image of this build's architecture";
  std::string list;
  bool kernel32 = false;
  for (const std::string& dll : dlls) {
    list += " " + dll;
    kernel32 = kernel32 || SameName(dll, "kernel32.dll");
    EXPECT_FALSE(SameName(dll, "comctl32.dll")) << "imports:" << list;
  }
  // The reader found the imports at all.
  EXPECT_TRUE(kernel32) << "imports:" << list;
}

TEST_F(DllPlantingTest, AComctl32BesideTheInstallerIsNotLoadedButIsByAnUnguardedProgram) {
  const std::string planted = Dir() + "\\comctl32.dll";
  ASSERT_TRUE(CopyFileA(BinPath("planted\\comctl32.dll").c_str(), planted.c_str(), FALSE))
      << "error " << GetLastError();
  const std::string marker = Dir() + "\\" + kMarker;
  ASSERT_FALSE(Exists(marker));

  ASSERT_TRUE(Pack("Planted Product", {},
                   {WriteInput("readme.txt", "Read me.\r\n"), WriteInput("b.dat", "data")}));
  NativeComctl32First stubOrder("setup.exe");
  ASSERT_TRUE(stubOrder.ok()) << "cannot set Wine's load order for setup.exe";
  ASSERT_TRUE(Launch());
  // The whole run, its progress bar included (comctl32 from the system directory).
  HWND status = YesThroughProgress("Planted Product", 2);
  ASSERT_NE(status, nullptr);
  FinishWithOk(status);
  EXPECT_FALSE(Exists(marker)) << "the stub loaded the planted comctl32.dll: "
                               << ReadText(marker);

  // The control: the same folder, the same load order, a program without the guard.
  const std::string probe = Dir() + "\\plant_probe.exe";
  ASSERT_TRUE(CopyFileA(BinPath("planted\\plant_probe.exe").c_str(), probe.c_str(), FALSE))
      << "error " << GetLastError();
  NativeComctl32First probeOrder("plant_probe.exe");
  ASSERT_TRUE(probeOrder.ok()) << "cannot set Wine's load order for plant_probe.exe";
  robot::StartOptions options;
  options.outputFile = Dir() + "\\plant_probe.log";
  DWORD error = 0;
  robot::Process run = robot::Start(probe, std::string(), options, &error);
  ASSERT_TRUE(run.started()) << "cannot start " << probe << ": error " << error;
  DWORD code = ~0u;
  if (!run.WaitExit(kProbeMs, &code)) {
    run.Kill();
    FAIL() << "plant_probe did not end within " << kProbeMs << " ms";
  }
  EXPECT_EQ(code, 0u) << ReadText(options.outputFile);
  ASSERT_TRUE(Exists(marker)) << "the planted DLL was not loaded by the control program either: "
                                 "the test cannot tell; it loaded "
                              << ReadText(options.outputFile);
  EXPECT_EQ(ReadText(marker), probe);
}

}  // namespace
}  // namespace e2e
