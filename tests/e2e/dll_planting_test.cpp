// DLL planting: an installer is run from a folder that holds whatever else was downloaded, so
// it must take no DLL from its own folder. A comctl32.dll planted beside setup.exe, with Wine
// told to prefer a native comctl32.dll wherever the search finds one, must stay unloaded
// through a whole run whose progress bar works; the same DLL beside a program that loads
// comctl32 the ordinary way is loaded, which shows that the plant would be caught.
#include <string>

#include "e2e_support.h"

namespace e2e {
namespace {

using DllPlantingTest = Session;

constexpr char kMarker[] = "planted-dll-loaded.txt";
constexpr DWORD kProbeMs = 20000;

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
      ok_ = RegSetValueExA(overrides, "comctl32", 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                           sizeof kOrder) == ERROR_SUCCESS;
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
  const Trace trace = Yes("Planted Product");
  ExpectWindowsInTurn(trace, "Planted Product", 2);
  if (trace.status != nullptr) FinishWithOk(trace.status);
  EXPECT_FALSE(Exists(marker)) << "the stub loaded the planted comctl32.dll: "
                               << ReadFileBytes(marker);

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
  EXPECT_EQ(code, 0u) << ReadFileBytes(options.outputFile);
  ASSERT_TRUE(Exists(marker)) << "the planted DLL was not loaded by the control program either: "
                                 "the test cannot tell; it loaded "
                              << ReadFileBytes(options.outputFile);
  EXPECT_EQ(ReadFileBytes(marker), probe);
}

}  // namespace
}  // namespace e2e
