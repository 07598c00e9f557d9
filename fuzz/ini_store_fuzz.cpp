// Hostile settings files: parsing never crashes, and whatever parses is written back to a text that
// parses to the same store. Any byte string survives escaping.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ini_store.h"

using quorvex::platform::IniStore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);

  std::string value;
  if (!IniStore::UnescapeValue(IniStore::EscapeValue(input), value) || value != input) __builtin_trap();

  IniStore store;
  std::string error;
  if (!store.Parse(input, &error)) {
    if (error.empty() || !store.Sections().empty()) __builtin_trap();
    return 0;
  }
  for (const auto& section : store.Sections()) {
    for (const auto& [key, text] : section.entries) {
      store.GetInt(section.name, key, 0);
      store.GetHex(section.name, key);
    }
  }
  IniStore again;
  if (!again.Parse(store.ToText(), &error) || !(again == store)) __builtin_trap();
  if (again.ToText() != store.ToText()) __builtin_trap();
  return 0;
}
