// Feeds arbitrary bytes to the snapshot file reader, as a damaged or foreign file in the cache would
// be: it must say Broken, never crash; what it accepts must read back the same after writing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/snapshot_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quorvex::engine;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  SnapshotHeader header;
  const SnapshotDecode quick = DecodeSnapshotHeader(bytes, header);
  std::string text;
  if (DecodeSnapshot(bytes, header, text) != SnapshotDecode::Ok) return 0;
  // A file whose text reads must pass the header check too.
  if (quick != SnapshotDecode::Ok || text.size() != header.textBytes) std::abort();
  SnapshotHeader again;
  std::string textAgain;
  if (DecodeSnapshot(EncodeSnapshot(header, text), again, textAgain) != SnapshotDecode::Ok || textAgain != text ||
      again.url != header.url || again.time != header.time) {
    std::abort();
  }
  return 0;
}
