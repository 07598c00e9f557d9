#pragma once
// A display font as the 60-byte LOGFONTA record that the settings file and older installations
// store: five little-endian 32-bit integers, eight bytes, and a 32-byte face name ending in NUL.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::settings {

struct LogFont {
  static constexpr size_t kRecordSize = 60;
  static constexpr size_t kFaceSize = 32;

  int32_t lfHeight = 0;
  int32_t lfWidth = 0;
  int32_t lfEscapement = 0;
  int32_t lfOrientation = 0;
  int32_t lfWeight = 0;
  uint8_t lfItalic = 0;
  uint8_t lfUnderline = 0;
  uint8_t lfStrikeOut = 0;
  uint8_t lfCharSet = 0;
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  std::array<char, kFaceSize> lfFaceName{};

  // The default of font n (1..4) for first start and the font dialog's Reset All; other n give font 1.
  static LogFont Default(int n);

  // The 60 bytes of the record.
  std::string ToBytes() const;
  // Decodes exactly 60 bytes; false (and font unchanged) for any other length.
  static bool FromBytes(std::string_view bytes, LogFont& font);

  // Whether a font can be made from the record: height and width within ±kMaxSize, weight 0..1000,
  // and a face name that ends within its 32 bytes.
  bool IsUsable() const;
  static constexpr int32_t kMaxSize = 1000;

  // The face name up to its NUL; the setter truncates to 31 bytes.
  std::string FaceName() const;
  void SetFaceName(std::string_view name);

  bool operator==(const LogFont& other) const = default;
};

}  // namespace quorvex::settings
