#pragma once
// Turning stored byte strings into text for the screen. New texts are UTF-8; old catalogs and
// converted Cyrillic pages hold Windows-1251. Pure functions, any thread.
#include <string>
#include <string_view>

namespace quorvex::text {

// True when bytes is well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Every byte read as Windows-1251 and written as UTF-8 (0x98, unassigned, becomes U+0098).
std::string Windows1251ToUtf8(std::string_view bytes);

// bytes themselves when they are valid UTF-8, otherwise their Windows-1251 reading in UTF-8.
std::string DisplayText(const std::string& bytes);

}  // namespace quorvex::text
