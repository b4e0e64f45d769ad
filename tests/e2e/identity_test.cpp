// What Windows' own API reads from an installer that zbpack.exe wrote: the version strings and
// the fixed version, the manifest, the icon at both sizes, and the checksum.
#include <windows.h>

#include <imagehlp.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "test_icon.h"

namespace e2e {
namespace {

struct IdentityCase {
  std::string name;
  std::vector<std::string> options;  // "ICON" stands for the test icon's path
  std::string level;                 // in the manifest
  std::string version;               // FileVersion and ProductVersion
  std::wstring company;              // CompanyName, "" when left out
  bool ownIcon;                      // --icon given: the test icon's colour
};

class IdentityTest : public Session, public ::testing::WithParamInterface<IdentityCase> {};

std::wstring VersionString(const std::vector<uint8_t>& info, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return L"";
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

// The colour of the icon's centre pixel when Windows draws it at side pixels.
COLORREF IconCentre(HMODULE module, int side) {
  HICON icon =
      static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(112), IMAGE_ICON, side, side, 0));
  if (icon == nullptr) return CLR_INVALID;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, side, side);
  HGDIOBJ old = SelectObject(dc, bitmap);
  DrawIconEx(dc, 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
  const COLORREF colour = GetPixel(dc, side / 2, side / 2);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DestroyIcon(icon);
  return colour;
}

TEST_P(IdentityTest, WindowsReadsWhatPackWrote) {
  const IdentityCase& c = GetParam();
  const std::vector<uint8_t> icon = TestIconFile();
  const std::string iconPath = WriteInput("test.ico", std::string(icon.begin(), icon.end()));
  std::vector<std::string> options;
  for (const std::string& o : c.options) options.push_back(o == "ICON" ? iconPath : o);
  ASSERT_TRUE(Pack("Zürich Product", options, {WriteInput("a.txt", "a")}));
  const std::string path = InstallerPath();

  DWORD handle = 0;
  std::vector<uint8_t> info(GetFileVersionInfoSizeA(path.c_str(), &handle));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, DWORD(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  char version[64];
  wsprintfA(version, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
            HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(version, c.version);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  const std::wstring wide(c.version.begin(), c.version.end());
  EXPECT_EQ(VersionString(info, L"FileVersion"), wide);
  EXPECT_EQ(VersionString(info, L"ProductVersion"), wide);
  EXPECT_EQ(VersionString(info, L"ProductName"), L"Z\u00fcrich Product");  // from UTF-8
  char* ansi = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductName",
                             reinterpret_cast<void**>(&ansi), &length));
  EXPECT_STREQ(ansi, "Z\xFCrich Product");  // as an ANSI program on code page 1252 reads it
  EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"setup.exe");
  EXPECT_EQ(VersionString(info, L"CompanyName"), c.company);

  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                         SizeofResource(module, manifest));
  EXPECT_NE(text.find("level='" + c.level + "'/>"), std::string::npos) << text;
  for (const int side : {16, 32}) {
    const COLORREF centre = IconCentre(module, side);
    EXPECT_NE(centre, CLR_INVALID) << side;
    EXPECT_EQ(centre == RGB(0xC0, 0x60, 0x20), c.ownIcon) << side << ": " << std::hex << centre;
  }
  FreeLibrary(module);

  DWORD stored = 0, computed = 0;
  ASSERT_EQ(MapFileAndCheckSumA(path.c_str(), &stored, &computed), CHECKSUM_SUCCESS);
  EXPECT_EQ(stored, computed);
  EXPECT_NE(stored, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Options, IdentityTest,
    ::testing::Values(IdentityCase{"defaults", {}, "requireAdministrator", "0.0.0.0", L"", false},
                      IdentityCase{
                          "all",
                          {"--icon", "ICON", "--execution-level", "asInvoker", "--product-version",
                           "3.1", "--company", "Gr\xC3\xBC\xC3\x9F Co \xE2\x82\xAC"},
                          "asInvoker",
                          "3.1.0.0",
                          L"Gr\u00fc\u00df Co \u20ac",
                          true}),
    CaseName());

}  // namespace
}  // namespace e2e
