#pragma once
// Text from a table or a dictionary on its way to a terminal or a document. A name
// may hold ESC, BEL or a C1 control, and a terminal obeys them: one escape sequence
// in a field name could clear the screen or rewrite what the user believes he read.
// So every writer of text output sends names and values through visibleText(), which
// spells each such character out:
//
//   tab, line feed, return        \t \n \r
//   other C0 controls and DEL     \x00 .. \x1f, \x7f
//   C1 controls U+0080..U+009F    \u0080 .. \u009f
//   a byte that is not UTF-8      \x80 .. \xff
//
// Everything else (printable ASCII, valid UTF-8 past U+009F) stays as it is, the
// backslash too unless the output is read back by programs (the tab-separated rows),
// where it is doubled so that every escape above reads back unambiguously. A person
// reading a description such as C:\dir must see it as it was typed.

#include <string>
#include <string_view>

namespace cli {

enum class Backslash { Kept, Doubled };

std::string visibleText(std::string_view text, Backslash backslash = Backslash::Kept);

// True for the code points visibleText spells out as a control.
bool isControl(char32_t c);

// The text with each byte that is not part of valid UTF-8 replaced by U+FFFD.
std::string validUtf8(std::string_view text);

} // namespace cli
