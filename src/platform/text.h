#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorel {

// Upper-case form of one UTF-16 unit by Unicode's simple case mapping, as
// Windows' ordinal case-insensitive comparison folds it (the table is made
// by scripts/gen-case-table). Mappings to more than one character (U+00DF
// to "SS") are no simple mappings: such units stay as they are.
wchar_t foldCase(wchar_t c);

// Case-insensitive equality and ordering of two texts, unit by unit.
bool equalsNoCase(std::wstring_view a, std::wstring_view b);
int compareNoCase(std::wstring_view a, std::wstring_view b);
std::wstring upperCase(std::wstring_view text);

}  // namespace quorel
