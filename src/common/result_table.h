// The one table of result codes: name, value, string-table id of the message, and the message.
// The high 16 bits of a value name the facility (1 general, 3 archive). A message that is the
// code's own name is what the user reads for that code.
//
// Plain macros and nothing else: windres reads this file too, to build the string table.
#pragma once

// X(name, value, stringId, message): the codes with a message of their own.
#define ZB_RESULT_CODES(X)                                                                      \
  X(kNoError, 0x00000000, 10000, "No Errors.")                                                  \
  X(kBadParameter, 0x00010001, 10001, "kBadParameter")                                          \
  X(kOutOfMemory, 0x00010002, 10003, "There is not enough memory available.")                   \
  X(kBadPath, 0x00010008, 10015, "kBadPath")                                                    \
  X(kSystemError, 0x00010012, 10004, "There was a system error.")                               \
  X(kIOError, 0x00010014, 10002, "There was an I/O error.")                                     \
  X(kElevationDeclined, 0x00010015, 10025,                                                      \
    "The installation was cancelled because administrator rights were not given.")              \
  X(kZbNoDoubleArchiving, 0x00030001, 10005, "kZbNoDoubleArchiving")                            \
  X(kZbArchiveNotInited, 0x00030002, 10006, "kZbArchiveNotInited")                              \
  X(kCannotOpenFile, 0x00030003, 10007, "A file could not be opened.")                          \
  X(kUnsupportedArchive, 0x00030004, 10008, "The selected archive is not currently supported.") \
  X(kZbSeaNameTooLong, 0x00030005, 10009, "kZbSeaNameTooLong")                                  \
  X(kBytesReadNotSameAsFileSize, 0x00030006, 10010, "kBytesReadNotSameAsFileSize")              \
  X(kBadSeaVersion, 0x00030007, 10011, "kBadSeaVersion")                                        \
  X(kFileCorrupted, 0x00030008, 10012, "A file seems to have been corrupted.")                  \
  X(kBadArchiveVersion, 0x00030009, 10024, "kBadArchiveVersion")                                \
  X(kArchiveCorrupted, 0x0003000A, 10023, "The archive seems to have been corrupted.")          \
  X(kCannotCreateFile, 0x0003000B, 10013, "There was a problem creating a file.")               \
  X(kZbSeaBadArchiveCount, 0x0003000C, 10014, "kZbSeaBadArchiveCount")                          \
  X(kNotEnoughDiskSpace, 0x0003000D, 10016,                                                     \
    "Sorry, there does not seem to be enough free disk space.")                                 \
  X(kCMP_INVALID_DICTSIZE, 0x00030011, 10017, "kCMP_INVALID_DICTSIZE")                          \
  X(kCMP_INVALID_MODE, 0x00030012, 10018, "kCMP_INVALID_MODE")                                  \
  X(kCMP_BAD_DATA, 0x00030013, 10019, "kCMP_BAD_DATA")                                          \
  X(kCMP_ABORT, 0x00030014, 10020, "kCMP_ABORT")                                                \
  X(kUnknownCMP_Error, 0x00030015, 10021, "kUnknownCMP_Error")

// Y(name, value): the codes that show the fallback message, as every value outside the table
// does.
#define ZB_RESULT_CODES_WITHOUT_MESSAGE(Y) \
  Y(kCopyAborted, 0x00030016)              \
  Y(kEmptyArchive, 0x00030017)

#define ZB_UNKNOWN_ERROR_STRING_ID 10022
#define ZB_UNKNOWN_ERROR_MESSAGE "Unknown Error"
