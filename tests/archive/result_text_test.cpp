// Result codes to messages, decoder results to codes, and the texts built from them.
#include <gtest/gtest.h>

#include <string>

#include "common/result_codes.h"
#include "common/text_format.h"

namespace {

// The table itself is the source of ids and names; what can go wrong is the fallback.
TEST(ResultCodes, CodesWithoutAMessageAndUnknownCodesFallBack) {
  for (ResultCode code :
       {kCopyAborted, kEmptyArchive, ResultCode{0x00030010}, ResultCode{0xFFFFFFFF}}) {
    EXPECT_EQ(kUnknownErrorStringId, ResultStringId(code)) << std::hex << code;
  }
  EXPECT_EQ(10023u, ResultStringId(kArchiveCorrupted));
  EXPECT_STREQ("kEmptyArchive", ResultName(kEmptyArchive));
  EXPECT_STREQ("unknown code", ResultName(0x00030010));
}

TEST(ResultCodes, DecoderResultsMapWithFiveApartFromTheUnknownRest) {
  const uint32_t codes[] = {kNoError,   kCMP_INVALID_DICTSIZE, kCMP_INVALID_MODE, kCMP_BAD_DATA,
                            kCMP_ABORT, 0x00030016u,           0x00030015u};
  for (uint32_t result = 0; result < 7; ++result)
    EXPECT_EQ(codes[result], MapExplodeResult(result));
  EXPECT_EQ(0x00030015u, MapExplodeResult(0xFFFFFFFFu));
}

TEST(TextFormat, InsertsTheTextAtTheFirstPercentS) {
  char out[256];
  FormatWithText(out, sizeof out,
                 "This application will install %s on your system.\nDo you wish to continue?",
                 "Zubrex Demo");
  EXPECT_STREQ(
      "This application will install Zubrex Demo on your system.\nDo you wish to continue?", out);
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
