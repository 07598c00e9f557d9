#include "engine/snapshot_file.h"

#include <zstd.h>

#include <charconv>
#include <cstdio>

namespace quorvex::engine {
namespace {

constexpr std::string_view kMagic = "QVXSNAP1";
// Fast enough for a writer thread to keep up with many pages a second; pages compress well anyway.
constexpr int kCompressionLevel = 3;

// The next line of bytes from at (without its '\n'); false when there is none.
bool NextLine(std::string_view bytes, size_t& at, std::string_view& line) {
  const size_t end = bytes.find('\n', at);
  if (end == std::string_view::npos) return false;
  line = bytes.substr(at, end - at);
  at = end + 1;
  return true;
}

template <class T>
bool ParseNumber(std::string_view text, T& value, int base = 10) {
  if (text.empty()) return false;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

// The header, and where the compressed text starts; false when the header is malformed.
bool ParseHeader(std::string_view bytes, SnapshotHeader& header, size_t& frameStart) {
  size_t at = 0;
  std::string_view magic, url, time, length, hash;
  if (!NextLine(bytes, at, magic) || magic != kMagic || !NextLine(bytes, at, url) || url.empty() ||
      !NextLine(bytes, at, time) || !NextLine(bytes, at, length) || !NextLine(bytes, at, hash)) {
    return false;
  }
  header.url = std::string(url);
  if (!ParseNumber(time, header.time) || !ParseNumber(length, header.textBytes) ||
      header.textBytes > kMaxSnapshotTextBytes || hash.size() != 16 || !ParseNumber(hash, header.textHash, 16)) {
    return false;
  }
  frameStart = at;
  return true;
}

}  // namespace

uint64_t SnapshotTextHash(std::string_view text) {
  // FNV-1a, 64 bits.
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string EncodeSnapshot(SnapshotHeader header, std::string_view text) {
  // The address is a header line of its own.
  if (header.url.empty() || header.url.find('\n') != std::string::npos || text.size() > kMaxSnapshotTextBytes) {
    return {};
  }
  char hash[17];
  snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(SnapshotTextHash(text)));
  std::string out = std::string(kMagic) + "\n" + header.url + "\n" + std::to_string(header.time) + "\n" +
                    std::to_string(text.size()) + "\n" + hash + "\n";
  const size_t start = out.size();
  out.resize(start + ZSTD_compressBound(text.size()));
  ZSTD_CCtx* context = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, kCompressionLevel);
  ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
  const size_t written = ZSTD_compress2(context, out.data() + start, out.size() - start, text.data(), text.size());
  ZSTD_freeCCtx(context);
  if (ZSTD_isError(written)) return {};
  out.resize(start + written);
  return out;
}

namespace {

// The header and the compressed text, checked to be complete; false otherwise.
bool SplitSnapshot(std::string_view bytes, SnapshotHeader& header, std::string_view& frame) {
  size_t start = 0;
  if (!ParseHeader(bytes, header, start)) return false;
  frame = bytes.substr(start);
  // The frame must fill the rest exactly: a cut file ends inside it, anything after it is not ours.
  const size_t frameBytes = ZSTD_findFrameCompressedSize(frame.data(), frame.size());
  return !ZSTD_isError(frameBytes) && frameBytes == frame.size() &&
         ZSTD_getFrameContentSize(frame.data(), frame.size()) == header.textBytes;
}

}  // namespace

SnapshotDecode DecodeSnapshotHeader(std::string_view bytes, SnapshotHeader& header) {
  std::string_view frame;
  return SplitSnapshot(bytes, header, frame) ? SnapshotDecode::Ok : SnapshotDecode::Broken;
}

SnapshotDecode DecodeSnapshot(std::string_view bytes, SnapshotHeader& header, std::string& text) {
  std::string_view frame;
  if (!SplitSnapshot(bytes, header, frame)) return SnapshotDecode::Broken;
  text.resize(header.textBytes);
  // Decompressing checks the content checksum: a damaged frame is an error here.
  const size_t got = ZSTD_decompress(text.data(), text.size(), frame.data(), frame.size());
  if (ZSTD_isError(got) || got != header.textBytes || SnapshotTextHash(text) != header.textHash) {
    text.clear();
    return SnapshotDecode::Broken;
  }
  return SnapshotDecode::Ok;
}

}  // namespace quorvex::engine
