#pragma once
// A search pattern, never held in plain: each byte c is kept as (K - c) mod 256. The same
// transformation reads it back; the scrambled bytes are what the catalog file stores.
#include <cstdint>
#include <string>

namespace quorvex::model {

class WDPatternString {
 public:
  // Fixed for the file format: changing it makes every stored pattern unreadable.
  static constexpr uint8_t kPatternKey = 0xA7;

  virtual ~WDPatternString() = default;

  void SetPattern(const std::string& text) { m_strData = Scramble(text); }
  std::string GetPattern() const { return Scramble(m_strData); }
  // The stored (scrambled) form, for the archive.
  const std::string& GetStored() const { return m_strData; }
  void SetStored(const std::string& data) { m_strData = data; }

  static std::string Scramble(const std::string& text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(static_cast<uint8_t>(kPatternKey - static_cast<uint8_t>(c)));
    return out;
  }

 private:
  std::string m_strData;
};

}  // namespace quorvex::model
