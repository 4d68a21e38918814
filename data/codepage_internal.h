// The Windows-1250 table itself, for the loops that cannot afford a call per byte.
#pragma once

namespace orvek3::detail {

extern const char16_t kAnsiToUnicode[256];

}  // namespace orvek3::detail
