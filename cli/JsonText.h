#pragma once
// Small text helpers for the command output: JSON string literals and base64.

#include <string>
#include <string_view>

namespace cli {

// A JSON string literal (with its quotes). Bytes that are not valid UTF-8 become
// U+FFFD, so the output is always valid JSON whatever a damaged file holds;
// control characters, C1 included, are \u escapes.
std::string jsonString(std::string_view utf8);

// Standard base64 with padding.
std::string base64(std::string_view raw);

} // namespace cli
