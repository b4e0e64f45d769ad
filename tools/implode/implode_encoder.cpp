#include <cstring>
#include <thread>

#include "implode/implode.h"
#include "implode/implode_codes.h"
#include "implode/implode_parse.h"
#include "implode/implode_symbols.h"
#include "implode/implode_workers.h"

// The shortest stream decoders accept; see implode.h.
static constexpr uint64_t kMinimumStreamBytes = 5;

uint8_t ImplodeDictBits(uint64_t dictionaryBytes) {
  for (uint8_t dictBits = 4; dictBits <= 6; ++dictBits) {
    if (dictionaryBytes == 64u << dictBits) return dictBits;
  }
  return 0;
}

bool ImplodeInit(ImplodeEncoder& e, const ImplodeSettings& settings, ImplodeWriteFn writeFn,
                 void* userData) {
  e.started = false;
  e.workers.reset();
  if (settings.mode != implode::kModeBinary && settings.mode != implode::kModeAscii) return false;
  if (settings.dictBits < 4 || settings.dictBits > 6) return false;
  if (settings.level < kImplodeMinLevel || settings.level > kImplodeMaxLevel) return false;
  if (settings.threads > kImplodeMaxThreads) return false;
  if (writeFn == nullptr) return false;
  e.settings = settings;
  e.threads = settings.threads;
  if (e.threads == 0) {
    const unsigned cores = std::thread::hardware_concurrency();
    e.threads = cores == 0 ? 1 : cores < kImplodeMaxThreads ? cores : kImplodeMaxThreads;
  }
  e.level = GetImplodeLevel(settings.level);
  InitImplodeCoding(e.coding, settings.mode, settings.dictBits);
  ResetBitWriter(e.writer, writeFn, userData);
  ResetMatchFinder(e.finder);
  e.stats = ImplodeStats{};
  e.parseStart = 0;
  e.fill = 0;
  e.bufferPos = 0;
  e.finished = false;
  // Hashing the last bytes of a stream reads up to 2 bytes past them: keep those defined.
  std::memset(e.buffer, 0, sizeof e.buffer);
  PutBits(e.writer, settings.mode, 8);
  PutBits(e.writer, settings.dictBits, 8);
  e.started = true;
  return true;
}

// Codes buffer bytes [parseStart, end) with the level's parser. A region parsed alone goes to
// the workers when there are threads to use, except the last one of a stream that started no
// worker: a stream of one region starts none.
static void CodeRegion(ImplodeEncoder& e, uint32_t end, bool last) {
  switch (e.level.parser) {
    case ImplodeParser::kGreedy:
      ParseGreedy(e, e.parseStart, end);
      break;
    case ImplodeParser::kFast:
      ParseFast(e, e.parseStart, end);
      break;
    case ImplodeParser::kOptimal:
      if (e.level.regionsAlone) {
        if (e.threads > 1 && (e.workers || !last) && HandOffRegion(e, e.parseStart, end)) break;
        PrimeRegion(e, e.parseStart);
      }
      ParseOptimal(e, e.parseStart, end);
      break;
  }
  e.parseStart = end;
}

bool ImplodeFeed(ImplodeEncoder& e, const uint8_t* data, size_t size) {
  if (!e.started || e.finished) return false;
  e.stats.inputBytes += size;
  while (size > 0 && !e.writer.failed) {
    const size_t room = kImplodeBufferSize - e.fill;
    const uint32_t take = static_cast<uint32_t>(size < room ? size : room);
    std::memcpy(e.buffer + e.fill, data, take);
    e.fill += take;
    data += take;
    size -= take;
    if (e.fill == kImplodeBufferSize) {
      // The region ends kImplodeLookahead bytes before the buffer's end so that its last
      // positions hash real bytes; then the window before the region's end becomes the
      // history at the buffer's start.
      CodeRegion(e, kImplodeRegion, false);
      const uint32_t drop = kImplodeRegion - kImplodeWindow;
      std::memmove(e.buffer, e.buffer + drop, e.fill - drop);
      e.fill -= drop;
      e.parseStart -= drop;
      e.bufferPos += drop;
    }
  }
  return !e.writer.failed;
}

bool ImplodeFinish(ImplodeEncoder& e) {
  if (!e.started || e.finished) return false;
  // Bytes behind the data must not look like data to the hash of the last positions.
  std::memset(e.buffer + e.fill, 0, sizeof e.buffer - e.fill);
  CodeRegion(e, e.fill, true);
  FinishRegions(e);
  WriteEndSymbol(e.writer);
  e.stats.symbolBits += kEndSymbolBits;
  FinishBitWriter(e.writer, kMinimumStreamBytes);
  e.stats.outputBytes = e.writer.bytesDelivered;
  e.finished = true;
  return !e.writer.failed;
}
