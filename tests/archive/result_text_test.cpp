// Result codes to messages, decoder results to codes, and the texts built from them.
#include <gtest/gtest.h>

#include <string>

#include "driver/result_codes.h"
#include "driver/text_format.h"

namespace {

TEST(ResultCodes, EachCodeNamesItsStringAndUnknownCodesFallBack) {
  const struct {
    ResultCode code;
    uint32_t id;
  } cases[] = {
      {kNoError, 10000},         {kBadParameter, 10001},       {kOutOfMemory, 10003},
      {kBadPath, 10015},         {kSystemError, 10004},        {kIOError, 10002},
      {kZbNoDoubleArchiving, 10005}, {kZbArchiveNotInited, 10006}, {kCannotOpenFile, 10007},
      {kUnsupportedArchive, 10008}, {kZbSeaNameTooLong, 10009}, {kBytesReadNotSameAsFileSize, 10010},
      {kBadSeaVersion, 10011},   {kFileCorrupted, 10012},      {kBadArchiveVersion, 10024},
      {kArchiveCorrupted, 10023}, {kCannotCreateFile, 10013},  {kZbSeaBadArchiveCount, 10014},
      {kNotEnoughDiskSpace, 10016}, {kCMP_INVALID_DICTSIZE, 10017}, {kCMP_INVALID_MODE, 10018},
      {kCMP_BAD_DATA, 10019},    {kCMP_ABORT, 10020},          {kUnknownCMP_Error, 10021},
      {kCopyAborted, 10022},     {kEmptyArchive, 10022},       {0x00030010, 10022},
      {0x00020001, 10022},       {0xFFFFFFFF, 10022},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.id, ResultStringId(c.code)) << std::hex << "code 0x" << c.code;
  }
}

TEST(ResultCodes, DecoderResultsMapWithFiveApartFromTheUnknownRest) {
  EXPECT_EQ(kNoError, MapExplodeResult(0));
  EXPECT_EQ(kCMP_INVALID_DICTSIZE, MapExplodeResult(1));
  EXPECT_EQ(kCMP_INVALID_MODE, MapExplodeResult(2));
  EXPECT_EQ(kCMP_BAD_DATA, MapExplodeResult(3));
  EXPECT_EQ(kCMP_ABORT, MapExplodeResult(4));
  EXPECT_EQ(0x00030016u, MapExplodeResult(5));
  EXPECT_EQ(0x00030015u, MapExplodeResult(6));
  EXPECT_EQ(0x00030015u, MapExplodeResult(0xFFFFFFFFu));
}

TEST(TextFormat, ErrorTextIsLowerCaseHexWithoutLeadingZerosAndEndsInALineBreak) {
  char text[512];
  FormatErrorText(text, sizeof text, "The archive seems to have been corrupted.", kArchiveCorrupted);
  EXPECT_STREQ("Error: The archive seems to have been corrupted. (3000a)\n", text);
  FormatErrorText(text, sizeof text, "kBadPath", kBadPath);
  EXPECT_STREQ("Error: kBadPath (10008)\n", text);
  FormatErrorText(text, sizeof text, "Unknown Error", 0);
  EXPECT_STREQ("Error: Unknown Error (0)\n", text);
  FormatErrorText(text, sizeof text, "x", 0xFFFFFFFF);
  EXPECT_STREQ("Error: x (ffffffff)\n", text);
}

TEST(TextFormat, InsertsTheTextAtTheFirstPercentS) {
  char out[256];
  FormatWithText(out, sizeof out,
                 "This application will install %s on your system.\nDo you wish to continue?",
                 "Zubrex Demo");
  EXPECT_STREQ("This application will install Zubrex Demo on your system.\nDo you wish to continue?",
               out);
  FormatWithText(out, sizeof out, "100%% of %s, %s", "a");
  EXPECT_STREQ("100% of a, %s", out);
}

TEST(TextFormat, CutsAtTheBufferInsteadOfOverrunningIt) {
  const std::string longName(300, 'N');
  char out[257];
  out[256] = '#';  // guard byte behind the 256 bytes handed over
  FormatWithText(out, 256, "Install %s now?", longName.c_str());
  EXPECT_EQ('#', out[256]);
  EXPECT_EQ(255u, std::string(out).size());
  EXPECT_EQ("Install NNN", std::string(out).substr(0, 11));

  char small[8];
  FormatErrorText(small, sizeof small, "long message", 0x3000a);
  EXPECT_STREQ("Error: ", small);
}

}  // namespace
