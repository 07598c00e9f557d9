#pragma once
// Hand-built catalog file bytes for tests: primitive items, class tags and the common field runs,
// written independently of ArchiveWriter so that tests check the writer against the format.
#include <cstdint>
#include <string>
#include <string_view>

#include "model/alert.h"
#include "model/item.h"
#include "model/pattern_string.h"

namespace quorvex::testing {

class ArchiveBytes {
 public:
  ArchiveBytes& Byte(uint8_t v) {
    bytes_.push_back(static_cast<char>(v));
    return *this;
  }
  ArchiveBytes& Word(uint16_t v) { return Byte(v & 0xFF).Byte(v >> 8); }
  ArchiveBytes& Dword(uint32_t v) { return Word(v & 0xFFFF).Word(v >> 16); }
  ArchiveBytes& Raw(std::string_view v) {
    bytes_.append(v);
    return *this;
  }
  // A STRING with its length prefix.
  ArchiveBytes& Str(std::string_view v) {
    if (v.size() < 0xFF) {
      Byte(static_cast<uint8_t>(v.size()));
    } else if (v.size() < 0xFFFE) {
      Byte(0xFF).Word(static_cast<uint16_t>(v.size()));
    } else {
      Byte(0xFF).Word(0xFFFF).Dword(static_cast<uint32_t>(v.size()));
    }
    return Raw(v);
  }
  // The tag of a new class (schema 1) and its name.
  ArchiveBytes& NewClass(std::string_view name) {
    return Word(0xFFFF).Word(1).Word(static_cast<uint16_t>(name.size())).Raw(name);
  }
  // The current generation's 13 header bytes (header word, two reserved words, empty string).
  ArchiveBytes& Header(uint32_t version = 1) { return Dword(version).Dword(0).Dword(0).Str(""); }
  // The fields of a WDItem.
  ArchiveBytes& Item(std::string_view name, std::string_view description, uint16_t kind, bool current = true,
                     int32_t enabled = 1, uint16_t flag = 1) {
    Word(0).Dword(static_cast<uint32_t>(enabled)).Str(name).Str(description).Word(kind).Word(flag);
    if (current) Dword(0);
    return *this;
  }
  // A page's fields up to its value list's COUNT (exclusive), schedule at its defaults.
  ArchiveBytes& Page(std::string_view stored_url, uint32_t fetched, bool current = true, int32_t charset = 0) {
    Str(stored_url).Dword(fetched);
    if (current) Dword(static_cast<uint32_t>(charset)).Dword(0).Dword(0).Str("");
    return Dword(0).Dword(1).Dword(2).Dword(1);
  }
  // A beacon's fields after its item part, up to its history's record COUNT (exclusive).
  ArchiveBytes& ValueHead(std::string_view unit, std::string_view stored_pattern, bool current = true) {
    Str(unit).Str(stored_pattern).Word(0);
    if (current) Dword(0);
    return Dword(1);  // keep all
  }
  // An alert definition without events (current generation).
  ArchiveBytes& NoAlertEvents() { return Dword(1).Dword(0).Word(0); }

  const std::string& str() const { return bytes_; }
  size_t size() const { return bytes_.size(); }

 private:
  std::string bytes_;
};

// A file of the older generation: no header, no reserved fields, events in their old short form,
// the page address with the old marker byte in front.
inline std::string OlderGenerationCatalog() {
  const std::string pattern = model::WDPatternString::Scramble("Price:{?}</td>");
  ArchiveBytes f;
  f.Word(1).NewClass("WDValPage").Page("\xEAhttp://old.example/", 1500000000, false).Word(1);  // 1, 2
  f.NewClass("WDValue")
      .Item("Old price", "from 2003", model::kKindNumber, false)
      .ValueHead("RUB", pattern, false);                                 // 3, 4
  f.Word(2).NewClass("WDHistoryRecord").Dword(1400000000).Str("12.50");  // 5, 6
  f.Word(0x8005).Dword(1400003600).Str("13.00");                         // 7
  f.Word(2).NewClass("WDEventMessager");                                 // 8, 9
  f.Dword(0).Dword(model::kOpGreater).Str("100").Str("Too dear").Dword(0);
  f.Word(0x8008).Dword(1).Dword(model::kOpNotEqual).Str("").Str("Changed").Dword(1);                     // 10
  f.Word(1).NewClass("WDGroup").Item("Catalog", "The main beacons' catalog", model::kKindGroup, false);  // 11, 12
  f.Word(1).Word(4).Str("old note");
  return f.str();
}

}  // namespace quorvex::testing
