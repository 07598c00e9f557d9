#include "settings/log_font.h"

#include <algorithm>
#include <cstring>

namespace quorvex::settings {
namespace {

void PutInt32(std::string& out, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

int32_t GetInt32(std::string_view bytes, size_t offset) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  return static_cast<int32_t>(v);
}

}  // namespace

LogFont LogFont::Default(int n) {
  struct Row {
    int32_t height;
    int32_t weight;
    uint8_t italic;
  };
  static const Row kRows[4] = {{22, 700, 1}, {14, 700, 0}, {14, 400, 0}, {13, 400, 1}};
  const Row& row = kRows[n >= 1 && n <= 4 ? n - 1 : 0];
  LogFont font;
  font.lfHeight = row.height;
  font.lfWeight = row.weight;
  font.lfItalic = row.italic;
  font.lfQuality = 1;  // draft
  font.SetFaceName("Verdana");
  return font;
}

std::string LogFont::ToBytes() const {
  std::string out;
  out.reserve(kRecordSize);
  PutInt32(out, lfHeight);
  PutInt32(out, lfWidth);
  PutInt32(out, lfEscapement);
  PutInt32(out, lfOrientation);
  PutInt32(out, lfWeight);
  for (uint8_t b :
       {lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily})
    out += static_cast<char>(b);
  out.append(lfFaceName.data(), kFaceSize);
  return out;
}

bool LogFont::FromBytes(std::string_view bytes, LogFont& font) {
  if (bytes.size() != kRecordSize) return false;
  LogFont f;
  f.lfHeight = GetInt32(bytes, 0);
  f.lfWidth = GetInt32(bytes, 4);
  f.lfEscapement = GetInt32(bytes, 8);
  f.lfOrientation = GetInt32(bytes, 12);
  f.lfWeight = GetInt32(bytes, 16);
  uint8_t* small[] = {&f.lfItalic,       &f.lfUnderline,     &f.lfStrikeOut, &f.lfCharSet,
                      &f.lfOutPrecision, &f.lfClipPrecision, &f.lfQuality,   &f.lfPitchAndFamily};
  for (size_t i = 0; i < 8; ++i) *small[i] = static_cast<uint8_t>(bytes[20 + i]);
  std::memcpy(f.lfFaceName.data(), bytes.data() + 28, kFaceSize);
  font = f;
  return true;
}

bool LogFont::IsUsable() const {
  auto within = [](int32_t v) { return v >= -kMaxSize && v <= kMaxSize; };
  return within(lfHeight) && within(lfWidth) && lfWeight >= 0 && lfWeight <= 1000 &&
         std::find(lfFaceName.begin(), lfFaceName.end(), '\0') != lfFaceName.end();
}

std::string LogFont::FaceName() const {
  auto end = std::find(lfFaceName.begin(), lfFaceName.end(), '\0');
  return std::string(lfFaceName.begin(), end);
}

void LogFont::SetFaceName(std::string_view name) {
  lfFaceName.fill('\0');
  std::memcpy(lfFaceName.data(), name.data(), std::min(name.size(), kFaceSize - 1));
}

}  // namespace quorvex::settings
