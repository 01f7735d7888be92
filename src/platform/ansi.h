#pragma once

#include <string>
#include <string_view>

namespace quorel {

// `text` in the system's ANSI code page, characters that it cannot hold
// replaced by its default character. On Windows this is the code page of
// the system (CP_ACP); elsewhere Windows-1252 with "?".
std::string toAnsiCodePage(std::wstring_view text);

}  // namespace quorel
