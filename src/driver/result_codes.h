// Result codes of every step of a run, their messages' string-table ids, and the mapping of
// decoder results. Portable: the Win32 side (ResultText, ShowErrorBox) is in error_box.h.
#pragma once
#include <cstdint>

using ResultCode = uint32_t;  // 0 success; high 16 bits facility (1 general, 3 archive)

constexpr ResultCode kNoError = 0x00000000;
constexpr ResultCode kBadParameter = 0x00010001;
constexpr ResultCode kOutOfMemory = 0x00010002;
constexpr ResultCode kBadPath = 0x00010008;
constexpr ResultCode kSystemError = 0x00010012;
constexpr ResultCode kIOError = 0x00010014;
constexpr ResultCode kZbNoDoubleArchiving = 0x00030001;
constexpr ResultCode kZbArchiveNotInited = 0x00030002;
constexpr ResultCode kCannotOpenFile = 0x00030003;
constexpr ResultCode kUnsupportedArchive = 0x00030004;
constexpr ResultCode kZbSeaNameTooLong = 0x00030005;
constexpr ResultCode kBytesReadNotSameAsFileSize = 0x00030006;
constexpr ResultCode kBadSeaVersion = 0x00030007;
constexpr ResultCode kFileCorrupted = 0x00030008;
constexpr ResultCode kBadArchiveVersion = 0x00030009;
constexpr ResultCode kArchiveCorrupted = 0x0003000A;
constexpr ResultCode kCannotCreateFile = 0x0003000B;
constexpr ResultCode kZbSeaBadArchiveCount = 0x0003000C;
constexpr ResultCode kNotEnoughDiskSpace = 0x0003000D;
constexpr ResultCode kCMP_INVALID_DICTSIZE = 0x00030011;
constexpr ResultCode kCMP_INVALID_MODE = 0x00030012;
constexpr ResultCode kCMP_BAD_DATA = 0x00030013;
constexpr ResultCode kCMP_ABORT = 0x00030014;
constexpr ResultCode kUnknownCMP_Error = 0x00030015;
constexpr ResultCode kCopyAborted = 0x00030016;
constexpr ResultCode kEmptyArchive = 0x00030017;

// String-table id of a code's message. Codes without a string of their own, and every code
// outside the table, take the fallback "Unknown Error".
constexpr uint32_t kUnknownErrorStringId = 10022;
uint32_t ResultStringId(ResultCode code);

// Result of Explode (0..4) or CopyStored (5) as a ResultCode. 5 maps to kCopyAborted and
// everything above 5 to kUnknownCMP_Error: the two are deliberately not in numeric order.
ResultCode MapExplodeResult(uint32_t result);
