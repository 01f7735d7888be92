#pragma once

#include <string>

namespace quorel {

// A run that cannot go on. The domain returns it; the front end shows
// `text` (when there is one) in an error message box captioned `caption`
// and then ends the process with `exitCode`.
struct ProcessEnd {
    std::wstring text = {};
    std::wstring caption = {};
    int exitCode = 0;
};

}  // namespace quorel
