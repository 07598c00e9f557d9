#pragma once
// Cyrillic code pages of fetched pages. Texts are kept in Windows-1251; a page declared as KOI8-R,
// CP866 or Mac Cyrillic is converted before its patterns run. Only the Russian letters (and yo) of
// the source page are converted; every other byte, ASCII included, is left as it is. Pure
// functions over caller-owned buffers, any thread.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::text {

// Page character sets, as stored with a page.
constexpr int32_t CharsetWin = 0;   // Windows-1251, no conversion
constexpr int32_t CharsetKoi8 = 1;  // KOI8-R
constexpr int32_t CharsetAlt = 2;   // CP866
constexpr int32_t CharsetMac = 3;   // Mac Cyrillic
constexpr int32_t kCharsetCount = 4;

// The label the user sees for a character set: "Win", "Koi8", "Alt", "Mac"; "" out of range.
std::string_view CodePageLabel(int32_t encoding);
// The character set of a label (exact, as CodePageLabel gives it); -1 when unknown.
int32_t CodePageFromLabel(std::string_view label);

// Converts a NUL-terminated text in place from encoding to Windows-1251, up to its NUL. Encoding 0
// and unknown encodings leave the text unchanged; nullptr is ignored.
void ConvertCodePage(char* text, int32_t encoding);
// The same over at most length bytes, stopping at the first NUL.
void ConvertCodePage(char* text, size_t length, int32_t encoding);
// The same over a string, stopping at its first NUL.
void ConvertCodePage(std::string& text, int32_t encoding);

// The 256-byte table mapping encoding to Windows-1251; nullptr for 0 and unknown encodings.
const uint8_t* CodePageTable(int32_t encoding);
// The table back from Windows-1251 to encoding: the inverse of CodePageTable on every byte that
// table converts, identity elsewhere. nullptr for 0 and unknown encodings.
const uint8_t* ReverseCodePageTable(int32_t encoding);

// Converts a Windows-1251 text in place to encoding (the whole string; NUL bytes stay NUL).
void ConvertFromWindows1251(std::string& text, int32_t encoding);

}  // namespace quorvex::text
