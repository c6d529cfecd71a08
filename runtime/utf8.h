// UTF-16 ⇄ UTF-8 for texts that leave or enter the program as bytes
// (console output, test scripts). Unpaired surrogates become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view bytes);

}  // namespace quorvel
