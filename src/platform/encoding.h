#pragma once
// Shift-JIS (code page 932) <-> UTF-8. File and record texts stay CP932 bytes in the
// core; they are converted only where a text reaches the window system or leaves it.
#include <string>
#include <string_view>

// Undecodable bytes become U+FFFD; never fails.
std::string Cp932ToUtf8(std::string_view cp932);
// Characters CP932 cannot hold become '?'; never fails.
std::string Utf8ToCp932(std::string_view utf8);

// Lead byte of a double-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
inline bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The longest start of `text`, at most `limit` bytes, that never splits a double-byte
// character: where a text must be cut to a field's width.
size_t Cp932PrefixLength(std::string_view text, size_t limit);
