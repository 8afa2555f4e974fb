#pragma once
// How korvanta-cli writes one field value.
//
//   Text (Alpha, Memo)          JSON string / the text, controls spelled out (VisibleText.h)
//   Integer                     integer
//   Float (Number, Money)       shortest decimal that reads back to the same double
//   Boolean                     true / false
//   Date                        "YYYY-MM-DD"
//   Time                        "HH:MM:SS.mmm"
//   Timestamp                   "YYYY-MM-DDTHH:MM:SS.mmm"
//   Bcd                         the decimal as a string
//   Bytes (Bytes, BLOB, ...)    base64
//   Null                        null / empty cell

#include "engine/Value.h"

#include <string>

namespace cli {

std::string valueJson(const engine::Value& v);
std::string valueText(const engine::Value& v);

// Calendar renderings shared by both forms.
std::string dateText(int64_t days);
std::string timeText(int64_t msOfDay);
std::string timestampText(int64_t ms);

} // namespace cli
