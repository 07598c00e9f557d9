#pragma once
// The file of one page snapshot (see doc/snapshot-format.md): a short text header naming the page,
// the time and the text, then the text as one zstd frame with its content checksum, so that a file
// cut short or damaged is recognised as broken and never taken for a snapshot. Pure functions, any
// thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::engine {

// The largest text a snapshot holds: the largest page a fetch keeps.
inline constexpr size_t kMaxSnapshotTextBytes = size_t{16} << 20;

struct SnapshotHeader {
  std::string url;        // the page address, as the page record had it
  int64_t time = 0;       // the fetch, seconds since 1970 UTC
  size_t textBytes = 0;   // the length of the text
  uint64_t textHash = 0;  // SnapshotTextHash of the text
};

// A hash of a page text that stays the same across builds and machines (it decides whether a page
// changed since its newest snapshot, also one written by another process).
uint64_t SnapshotTextHash(std::string_view text);

// The file's bytes for text (header.textBytes and header.textHash are filled in from text); empty when
// the address is empty or holds a line feed, or the text is too long.
std::string EncodeSnapshot(SnapshotHeader header, std::string_view text);

enum class SnapshotDecode { Ok, Broken };
// Reads the header and checks that the compressed text is complete (not its checksum: that takes
// decompressing). Broken for anything else than a whole snapshot file.
SnapshotDecode DecodeSnapshotHeader(std::string_view bytes, SnapshotHeader& header);
// Reads header and text, checking the text's length and checksum. Broken for anything else than a
// whole, undamaged snapshot file.
SnapshotDecode DecodeSnapshot(std::string_view bytes, SnapshotHeader& header, std::string& text);

}  // namespace quorvex::engine
