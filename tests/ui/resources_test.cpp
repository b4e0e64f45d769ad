// The compiled resources as the program finds them at run time: the exact dialog templates
// (the resource compiler adds or drops styles of its own accord), the picture formats, the
// icon group and the string table texts, all in English (United States).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "resource.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// The bytes of one resource in English (United States), or an empty view.
struct ResourceBytes {
  const uint8_t* data;
  DWORD size;
};

ResourceBytes FindEnglish(LPCSTR type, int id) {
  const HMODULE module = GetModuleHandleA(nullptr);
  const HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kEnglishUs);
  if (found == nullptr) return {nullptr, 0};
  const HGLOBAL loaded = LoadResource(module, found);
  return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

// Walks a dialog template. Strings are UTF-16 in the template; ours are ASCII.
class TemplateReader {
 public:
  explicit TemplateReader(const uint8_t* start) : start_(start), at_(start) {}

  uint16_t Word() {
    uint16_t value;
    std::memcpy(&value, at_, 2);
    at_ += 2;
    return value;
  }
  uint32_t Dword() {
    uint32_t value;
    std::memcpy(&value, at_, 4);
    at_ += 4;
    return value;
  }
  uint8_t Byte() { return *at_++; }
  int16_t Short() { return static_cast<int16_t>(Word()); }

  // A name-or-ordinal field: "#n" for an ordinal, else the text.
  std::string NameOrOrdinal() {
    const uint16_t first = Word();
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    std::string text;
    for (uint16_t c = first; c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  std::string Text() {
    std::string text;
    for (uint16_t c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignDword() { at_ = start_ + ((at_ - start_ + 3) & ~3); }
  void Skip(size_t bytes) { at_ += bytes; }

 private:
  const uint8_t* start_;
  const uint8_t* at_;
};

struct ControlSpec {
  int32_t id;
  const char* className;  // lower case; an ordinal class (#128 button, #130 static) matches too
  const char* text;       // "#n" for a picture's resource id
  uint32_t style;
  int16_t x, y, cx, cy;
};

struct DialogSpec {
  int templateId;
  bool extended;
  uint32_t style;
  uint32_t exStyle;
  int16_t cx, cy;
  const char* title;
  int controlCount;
  const ControlSpec* controls;
};

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool ClassMatches(const std::string& found, const char* expected) {
  if (found == "#128") return std::strcmp(expected, "button") == 0;
  if (found == "#130") return std::strcmp(expected, "static") == 0;
  return Lower(found) == expected;
}

void CheckDialog(const DialogSpec& spec) {
  SCOPED_TRACE("dialog " + std::to_string(spec.templateId));
  const ResourceBytes bytes = FindEnglish(RT_DIALOG, spec.templateId);
  ASSERT_NE(bytes.data, nullptr);
  TemplateReader in(bytes.data);

  uint32_t style, exStyle;
  if (spec.extended) {
    EXPECT_EQ(in.Word(), 1);       // version
    EXPECT_EQ(in.Word(), 0xFFFF);  // extended signature
    EXPECT_EQ(in.Dword(), 0u);     // help id
    exStyle = in.Dword();
    style = in.Dword();
  } else {
    style = in.Dword();
    exStyle = in.Dword();
  }
  EXPECT_EQ(style, spec.style);
  EXPECT_EQ(exStyle, spec.exStyle);
  const int count = in.Word();
  ASSERT_EQ(count, spec.controlCount);
  EXPECT_EQ(in.Short(), 0);
  EXPECT_EQ(in.Short(), 0);
  EXPECT_EQ(in.Short(), spec.cx);
  EXPECT_EQ(in.Short(), spec.cy);
  EXPECT_EQ(in.NameOrOrdinal(), "");  // no menu
  EXPECT_EQ(in.NameOrOrdinal(), "");  // the default dialog class
  EXPECT_EQ(in.Text(), spec.title);
  ASSERT_TRUE(style & DS_SETFONT);
  EXPECT_EQ(in.Word(), 8);  // points
  if (spec.extended) {
    EXPECT_EQ(in.Word(), 0);  // weight
    EXPECT_EQ(in.Byte(), 0);  // not italic
    EXPECT_EQ(in.Byte(), 1);  // DEFAULT_CHARSET
  }
  EXPECT_EQ(in.Text(), "MS Sans Serif");

  for (int i = 0; i < count; ++i) {
    const ControlSpec& want = spec.controls[i];
    SCOPED_TRACE("control " + std::to_string(i));
    in.AlignDword();
    int32_t id;
    if (spec.extended) {
      EXPECT_EQ(in.Dword(), 0u);  // help id
      EXPECT_EQ(in.Dword(), 0u);  // extended style
      style = in.Dword();
    } else {
      style = in.Dword();
      EXPECT_EQ(in.Dword(), 0u);
    }
    const int16_t x = in.Short(), y = in.Short(), cx = in.Short(), cy = in.Short();
    id = spec.extended ? static_cast<int32_t>(in.Dword()) : in.Short();
    const std::string className = in.NameOrOrdinal();
    const std::string text = in.NameOrOrdinal();
    in.Skip(in.Word());  // creation data

    EXPECT_EQ(id, want.id);
    EXPECT_TRUE(ClassMatches(className, want.className)) << className;
    EXPECT_EQ(text, want.text);
    EXPECT_EQ(style, want.style);
    EXPECT_EQ(x, want.x);
    EXPECT_EQ(y, want.y);
    EXPECT_EQ(cx, want.cx);
    EXPECT_EQ(cy, want.cy);
  }
}

constexpr uint32_t kPicture = WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_CENTERIMAGE | SS_SUNKEN;
constexpr uint32_t kLine = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX;  // "&" shown as is

TEST(DialogTemplates, SplashIsAPlainCaptionlessPopup) {
  static const ControlSpec controls[] = {
      {IDC_NOTICE, "static", "Preparing your installation, please wait ...", kLine | SS_CENTER,
       7, 83, 216, 10},
      {-1, "static", "#105", kPicture, 59, 25, 112, 49},
      {IDC_TITLE, "static", "Zubrex Self-Extracting Archive", kLine | SS_LEFT, 57, 7, 116, 8},
  };
  CheckDialog({IDD_SPLASH, false, WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_CENTER | DS_SETFONT,
               0, 232, 98, "", 3, controls});
}

TEST(DialogTemplates, StatusIsAnExtendedTemplateWithTheOkButtonDisabled) {
  static const ControlSpec controls[] = {
      {IDC_STATUS_TEXT, "static", "", kLine | SS_LEFT, 92, 25, 149, 22},
      {-1, "static", "#106", kPicture, 7, 6, 75, 61},
      {IDC_OK, "button", "&OK",
       WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_DEFPUSHBUTTON | BS_NOTIFY, 191, 53,
       50, 14},
  };
  CheckDialog({IDD_STATUS, true,
               WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE,
               WS_EX_CONTROLPARENT, 249, 74, "Zubrex Self-Extracting Archive Status", 3,
               controls});
}

TEST(DialogTemplates, ProgressHasTheSegmentedBarBelowTheCaptionLine) {
  static const ControlSpec controls[] = {
      {IDC_PROGRESS, "msctls_progress32", "Progress1", WS_CHILD | WS_VISIBLE | WS_BORDER, 7, 32,
       172, 12},
      {IDC_PROGRESS_TEXT, "static", "", kLine | SS_LEFT, 7, 7, 172, 12},
  };
  CheckDialog({IDD_PROGRESS, false,
               WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFOREGROUND |
                   DS_SETFONT | DS_NOFAILCREATE,
               0, 186, 57, "Zubrex Self-Extracting Archive", 2, controls});
}

void CheckPicture(int id, int32_t width, int32_t height) {
  SCOPED_TRACE("bitmap " + std::to_string(id));
  const ResourceBytes bytes = FindEnglish(RT_BITMAP, id);
  ASSERT_NE(bytes.data, nullptr);
  ASSERT_GE(bytes.size, sizeof(BITMAPINFOHEADER));
  BITMAPINFOHEADER info;
  std::memcpy(&info, bytes.data, sizeof info);
  EXPECT_EQ(info.biSize, sizeof info);
  EXPECT_EQ(info.biWidth, width);
  EXPECT_EQ(info.biHeight, height);
  EXPECT_EQ(info.biPlanes, 1);
  EXPECT_EQ(info.biBitCount, 8);
  EXPECT_EQ(info.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_TRUE(info.biClrUsed == 0 || info.biClrUsed == 256) << info.biClrUsed;
  const DWORD stride = (static_cast<DWORD>(width) + 3) & ~3u;
  EXPECT_EQ(bytes.size, sizeof info + 256 * sizeof(RGBQUAD) + stride * height);

  const HBITMAP loaded = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
  ASSERT_NE(loaded, nullptr);
  BITMAP shape;
  ASSERT_NE(GetObjectA(loaded, sizeof shape, &shape), 0);
  EXPECT_EQ(shape.bmWidth, width);
  EXPECT_EQ(shape.bmHeight, height);
  DeleteObject(loaded);
}

TEST(Pictures, AreUncompressedEightBitWithAFullColourTable) {
  CheckPicture(IDB_SPLASH, 181, 103);
  CheckPicture(IDB_STATUS, 132, 75);
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colourCount, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)

TEST(Icon, GroupHoldsA32And16PixelImageIn16Colours) {
  const ResourceBytes group = FindEnglish(RT_GROUP_ICON, IDI_ICON1);
  ASSERT_NE(group.data, nullptr);
  TemplateReader in(group.data);
  EXPECT_EQ(in.Word(), 0);
  EXPECT_EQ(in.Word(), 1);  // icons, not cursors
  ASSERT_EQ(in.Word(), 2);
  ASSERT_EQ(group.size, 6 + 2 * sizeof(GroupIconEntry));
  int sizesSeen = 0;
  for (int i = 0; i < 2; ++i) {
    GroupIconEntry entry;
    std::memcpy(&entry, group.data + 6 + i * sizeof entry, sizeof entry);
    sizesSeen |= entry.width;
    EXPECT_EQ(entry.width, entry.height);
    EXPECT_EQ(entry.colourCount, 16);
    EXPECT_EQ(entry.bitCount, 4);

    const ResourceBytes image = FindEnglish(RT_ICON, entry.id);
    ASSERT_NE(image.data, nullptr);
    EXPECT_EQ(image.size, entry.bytes);
    BITMAPINFOHEADER info;
    std::memcpy(&info, image.data, sizeof info);
    EXPECT_EQ(info.biWidth, entry.width);
    EXPECT_EQ(info.biHeight, 2 * entry.width);  // colour rows and mask rows
    EXPECT_EQ(info.biBitCount, 4);
  }
  EXPECT_EQ(sizesSeen, 32 | 16);

  // The way the entry registers its window class finds it.
  EXPECT_NE(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ICON1)), nullptr);
  EXPECT_NE(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ICON1), IMAGE_ICON, 16,
                       16, 0),
            nullptr);
}

std::string LoadText(UINT id) {
  char text[512];
  const int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
  return std::string(text, static_cast<size_t>(length > 0 ? length : 0));
}

TEST(StringTable, HoldsTheTextsOfTheRun) {
  EXPECT_EQ(LoadText(IDS_INSTALL_QUESTION),
            "This application will install %s on your system.\nDo you wish to continue?");
  EXPECT_EQ(LoadText(IDS_APP_TITLE), "Zubrex Self-Extracting Archive");
  EXPECT_EQ(LoadText(IDS_FINISHED), "Files extracted and run successfully!  Press OK to exit.");
  EXPECT_EQ(LoadText(IDS_EXTRACTING), "Extracting the %s Installation files ...");
  EXPECT_EQ(LoadText(4), "");  // no entry between them
}

TEST(StringTable, HoldsEveryResultMessageUnderItsId) {
  static const char* const kMessages[] = {
      "No Errors.",
      "kBadParameter",
      "There was an I/O error.",
      "There is not enough memory available.",
      "There was a system error.",
      "kZbNoDoubleArchiving",
      "kZbArchiveNotInited",
      "A file could not be opened.",
      "The selected archive is not currently supported.",
      "kZbSeaNameTooLong",
      "kBytesReadNotSameAsFileSize",
      "kBadSeaVersion",
      "A file seems to have been corrupted.",
      "There was a problem creating a file.",
      "kZbSeaBadArchiveCount",
      "kBadPath",
      "Sorry, there does not seem to be enough free disk space.",
      "kCMP_INVALID_DICTSIZE",
      "kCMP_INVALID_MODE",
      "kCMP_BAD_DATA",
      "kCMP_ABORT",
      "kUnknownCMP_Error",
      "Unknown Error",
      "The archive seems to have been corrupted.",
      "kBadArchiveVersion",
  };
  for (UINT i = 0; i < sizeof kMessages / sizeof kMessages[0]; ++i) {
    EXPECT_EQ(LoadText(10000 + i), kMessages[i]) << "string " << 10000 + i;
  }
  EXPECT_EQ(LoadText(10025), "");
}

TEST(StringTable, EveryBundleIsInEnglishUnitedStates) {
  // Strings are stored in bundles of 16: bundle n holds ids 16 (n - 1) to 16 n - 1.
  for (UINT id : {1u, 10000u, 10015u, 10016u, 10024u}) {
    EXPECT_NE(FindEnglish(RT_STRING, static_cast<int>(id / 16 + 1)).data, nullptr) << id;
  }
}

}  // namespace
