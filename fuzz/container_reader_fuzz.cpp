// Container files come from other users: any bytes must give a result, never a crash, and every
// beacon read must survive being written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "exchange/container_reader.h"
#include "exchange/container_writer.h"

using quorvex::exchange::ContainerBeacon;
using quorvex::exchange::ContainerReader;
using quorvex::exchange::ContainerReadResult;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte picks the flavour of file.
  static const char* const kNames[] = {"/tmp/in.bcn", "/tmp/News page.url", "/tmp/watch.gm", "/tmp/noext"};
  std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  ContainerReadResult result = ContainerReader::ReadText(text, kNames[data[0] % 4]);
  if (!result.ok()) {
    if (!result.beacons.empty()) std::abort();
    return 0;
  }
  for (const ContainerBeacon& beacon : result.beacons) {
    if (beacon.kind < 2 || beacon.kind > 4 || beacon.url.empty()) std::abort();
    if (!beacon.atStart && (beacon.interval < 1 || beacon.intervalUnit < 0 || beacon.intervalUnit > 4)) std::abort();
    if (beacon.url.find_first_not_of("\r\n") == std::string::npos) continue;
    ContainerReadResult again = ContainerReader::ReadText(quorvex::exchange::FormatContainer(beacon, "now"), "x.bcn");
    if (!again.ok() || again.beacons.size() != 1 || again.beacons[0].kind != beacon.kind) std::abort();
  }
  return 0;
}
