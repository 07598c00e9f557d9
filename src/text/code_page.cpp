#include "text/code_page.h"

#include <array>
#include <cstring>

namespace quorvex::text {
namespace {

using Table = std::array<uint8_t, 256>;

// Alphabet index (a=0 ... ya=31, without yo) of the KOI8-R letters 0xC0..0xDF; the capitals at
// 0xE0..0xFF follow the same order.
constexpr uint8_t kKoi8Order[32] = {30, 0,  1,  22, 4,  5,  20, 3, 21, 8,  9, 10, 11, 12, 13, 14,
                                    15, 31, 16, 17, 18, 19, 6,  2, 28, 27, 7, 24, 29, 25, 23, 26};

constexpr Table Identity() {
  Table t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i);
  return t;
}

// Maps count bytes from 'from' on to the bytes from 'to' on.
constexpr void MapRun(Table& t, int from, int to, int count) {
  for (int i = 0; i < count; ++i) t[from + i] = static_cast<uint8_t>(to + i);
}

constexpr Table MakeKoi8() {
  Table t = Identity();
  for (int i = 0; i < 32; ++i) {
    t[0xC0 + i] = static_cast<uint8_t>(0xE0 + kKoi8Order[i]);  // small letters
    t[0xE0 + i] = static_cast<uint8_t>(0xC0 + kKoi8Order[i]);  // capitals
  }
  return t;
}

constexpr Table MakeAlt() {
  Table t = Identity();
  MapRun(t, 0x80, 0xC0, 48);  // A..Ya, a..p
  MapRun(t, 0xE0, 0xF0, 16);  // r..ya
  t[0xF0] = 0xA8;             // Yo
  t[0xF1] = 0xB8;             // yo
  return t;
}

constexpr Table MakeMac() {
  Table t = Identity();
  MapRun(t, 0x80, 0xC0, 32);  // A..Ya; a..yu at 0xE0..0xFE are already equal
  t[0xDD] = 0xA8;             // Yo
  t[0xDE] = 0xB8;             // yo
  t[0xDF] = 0xFF;             // ya
  return t;
}

// Back from Windows-1251: every byte the forward table moves returns to its source byte. Where a
// letter's Windows-1251 code is also an unconverted byte of the source page (CP866 box drawing,
// Mac 0xFF), the letter wins, since letters are what the conversion is for.
constexpr Table MakeReverse(const Table& forward) {
  Table t = Identity();
  for (int i = 0; i < 256; ++i) {
    if (forward[i] != i) t[forward[i]] = static_cast<uint8_t>(i);
  }
  return t;
}

constexpr Table kKoi8 = MakeKoi8();
constexpr Table kAlt = MakeAlt();
constexpr Table kMac = MakeMac();
constexpr Table kKoi8Reverse = MakeReverse(kKoi8);
constexpr Table kAltReverse = MakeReverse(kAlt);
constexpr Table kMacReverse = MakeReverse(kMac);

constexpr std::string_view kLabels[kCharsetCount] = {"Win", "Koi8", "Alt", "Mac"};

void Apply(char* p, size_t length, const uint8_t* table) {
  for (size_t i = 0; i < length; ++i) p[i] = static_cast<char>(table[static_cast<uint8_t>(p[i])]);
}

}  // namespace

std::string_view CodePageLabel(int32_t encoding) {
  return encoding >= 0 && encoding < kCharsetCount ? kLabels[encoding] : std::string_view();
}

int32_t CodePageFromLabel(std::string_view label) {
  for (int32_t i = 0; i < kCharsetCount; ++i) {
    if (kLabels[i] == label) return i;
  }
  return -1;
}

const uint8_t* CodePageTable(int32_t encoding) {
  static constexpr const Table* kTables[kCharsetCount] = {nullptr, &kKoi8, &kAlt, &kMac};
  return encoding >= 0 && encoding < kCharsetCount && kTables[encoding] ? kTables[encoding]->data() : nullptr;
}

const uint8_t* ReverseCodePageTable(int32_t encoding) {
  static constexpr const Table* kTables[kCharsetCount] = {nullptr, &kKoi8Reverse, &kAltReverse, &kMacReverse};
  return encoding >= 0 && encoding < kCharsetCount && kTables[encoding] ? kTables[encoding]->data() : nullptr;
}

void ConvertCodePage(char* text, int32_t encoding) {
  if (text) ConvertCodePage(text, std::strlen(text), encoding);
}

void ConvertCodePage(char* text, size_t length, int32_t encoding) {
  const uint8_t* table = CodePageTable(encoding);
  if (!table || !text || length == 0) return;
  if (const void* nul = std::memchr(text, 0, length)) length = static_cast<const char*>(nul) - text;
  Apply(text, length, table);
}

void ConvertCodePage(std::string& text, int32_t encoding) {
  ConvertCodePage(text.data(), text.size(), encoding);
}

void ConvertFromWindows1251(std::string& text, int32_t encoding) {
  if (const uint8_t* table = ReverseCodePageTable(encoding)) Apply(text.data(), text.size(), table);
}

}  // namespace quorvex::text
