// Four-character codes and the legacy 8-bit Roman character set (code page
// 10000) in which the toolkit decodes type codes, creator codes and
// resource types.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lcv::platform {

using FourCharCode = std::uint32_t;

// Bytes in code page 10000 as UTF-8; every byte has a character.
std::string romanToUtf8(std::string_view bytes);
// UTF-8 text as code page 10000 bytes; nothing when the text is not valid UTF-8
// or holds a character the code page lacks.
std::optional<std::string> utf8ToRoman(std::string_view text);

// The four bytes of a code, most significant first, and back.
std::string fourCharBytes(FourCharCode code);
FourCharCode fourCharCode(std::string_view fourBytes);  // exactly 4 bytes, else 0

// A code as text (its bytes in code page 10000), and a text as a code: nothing
// unless it converts to exactly four bytes.
std::string fourCharText(FourCharCode code);
std::optional<FourCharCode> fourCharCodeFromText(std::string_view text);

}  // namespace lcv::platform
