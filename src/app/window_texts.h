#pragma once

// The fixed texts and choices of the program's windows that are decided
// rather than laid out: the version lines, the about box, the support mail,
// the standard file dialogs' filters, the error report lines and the
// clipping of a long path in the progress window.

#include <cstdint>
#include <optional>
#include <string>

#include "app/app_windows.h"

namespace quorel {

class DisplayList;
class ErrorList;
class CDirEntry;

inline constexpr const wchar_t* kWebSiteAddress = L"https://quorel.example.org/";
inline constexpr const wchar_t* kSupportAddress = L"support@quorel.example.org";
inline constexpr const wchar_t* kVideoAddress = L"https://quorel.example.org/introduction";

// The start window's line "Version 1.4 Build 251".
std::wstring StartWindowVersionLine();
// The six lines of the about box, joined by CR LF. "Verion" is the line as
// the about box has always shown it.
std::wstring AboutText();
// The mailto URL of "&Send Email": the support address and a body of two
// line feeds and the version line.
std::wstring SupportMailUrl();

// A standard file dialog: its filter (pairs of description and pattern,
// each NUL-terminated, the whole ended by a second NUL), default extension
// and whether it saves.
struct FileDialogSpec {
    std::wstring filter;
    std::wstring defaultExtension;
    bool save = false;
    bool overwritePrompt = false;
    bool createPrompt = false;
};
FileDialogSpec FileDialogSpecOf(FileDialog kind);

// The text of the "Error reports" window: one line "%ld - %s: %s\r\n" per
// element (number, the entry's path, the message), in list order.
std::wstring FormatErrorReport(const ErrorList& errors);
// The leading decimal number of an error report line (the element number),
// read from its first 255 characters; nothing when the line has none.
std::optional<std::int32_t> ErrorNumberOfLine(const std::wstring& line);
// The entry of error number `number` (stepping from the first element), and
// its index in the display list; nothing when the number is out of range or
// the entry is not shown.
std::optional<std::size_t> DisplayLineOfError(const ErrorList& errors, std::int32_t number,
                                              const DisplayList& lines);

// How the progress window draws a text into its box from x = 20 to 570
// (96-DPI values; the window scales them).
struct ProgressTextLayout {
    bool clipped = false;                  // wider than the box: beginning, "...", end
    int beginLeft = 20, beginRight = 288;  // the beginning, clipped to this span
    int dotsX = 288;                       // "..." drawn here
    int endLeft = 302, endRight = 570;     // the whole text right-aligned at endRight
};
ProgressTextLayout LayoutProgressText(int textWidth);
// The text as drawn: followed by blanks, so that a shorter text overwrites
// the rest of a longer one.
std::wstring PaddedProgressText(const std::wstring& text);

}  // namespace quorel
