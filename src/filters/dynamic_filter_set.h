#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorel {

// One dynamic filter row: subject, operator and right, e.g. Users, "has
// permission", write (wr).
struct FilterRow {
    // The row's text field holds 1000 UTF-16 units with its terminator.
    static constexpr std::size_t kMaxTextChars = 999;

    std::uint32_t op = 0;     // rule code 0..9
    std::uint32_t right = 0;  // permission index 0..14 (codes 0, 1, 6, 7)
    std::wstring text;        // account name, "<any user>" or path text
};

// The dynamic filter rows of the view, combined with AND or OR.
struct DynamicFilterSet {
    std::vector<FilterRow> rows;
    std::uint32_t combination = 0;  // 0 = AND, anything else = OR
    bool active = false;            // set when the filter window's OK applied the rows
};

}  // namespace quorel
