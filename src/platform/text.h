#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorel {

// Upper-case form of one UTF-16 unit by Unicode's simple case mapping, as
// Windows' ordinal case-insensitive comparison folds it. Units outside the
// mapped scripts are returned unchanged.
wchar_t foldCase(wchar_t c);

// Case-insensitive equality and ordering of two texts, unit by unit.
bool equalsNoCase(std::wstring_view a, std::wstring_view b);
int compareNoCase(std::wstring_view a, std::wstring_view b);
std::wstring upperCase(std::wstring_view text);

}  // namespace quorel
