#pragma once
// Small text helpers for the command output: JSON string literals and base64.

#include <string>
#include <string_view>

namespace cli {

// A JSON string literal (with its quotes). Bytes that are not valid UTF-8 become
// U+FFFD, so the output is always valid JSON whatever a damaged file holds.
std::string jsonString(std::string_view utf8);

// Standard base64 with padding.
std::string base64(std::string_view raw);

// For the tab-separated text output: backslash, tab, line feed and carriage return
// written as \\, \t, \n, \r so that one row stays on one line.
std::string tabEscaped(std::string_view text);

} // namespace cli
