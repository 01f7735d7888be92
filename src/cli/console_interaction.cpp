#include "cli/console_interaction.h"

#include <cstdlib>
#include <string>

#include "storage/utf16.h"

namespace quorel {

MessageAnswer ConsoleInteraction::showMessage(const std::wstring& text, const std::wstring& caption,
                                              MessageIcon, MessageButtons buttons) {
    ++messages_;
    std::string line = caption.empty() ? toUtf8(text) : toUtf8(caption) + ": " + toUtf8(text);
    // One message, one line.
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    line += '\n';
    std::fputs(line.c_str(), err_);
    std::fflush(err_);
    if (buttons == MessageButtons::YesNoDefaultNo) {
        return MessageAnswer::No;
    }
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
               ? MessageAnswer::Yes
               : MessageAnswer::Ok;
}

}  // namespace quorel
