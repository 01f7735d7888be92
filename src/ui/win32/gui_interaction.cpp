#include "ui/win32/gui_interaction.h"

#include <commctrl.h>

namespace quorel::win32 {

MessageAnswer GuiInteraction::showMessage(const std::wstring& text, const std::wstring& caption,
                                          MessageIcon icon, MessageButtons buttons) {
    UINT type = 0;
    switch (icon) {
        case MessageIcon::None:
            break;
        case MessageIcon::Error:
            type |= MB_ICONERROR;
            break;
        case MessageIcon::Warning:
            type |= MB_ICONWARNING;
            break;
        case MessageIcon::Information:
            type |= MB_ICONINFORMATION;
            break;
        case MessageIcon::Question:
            type |= MB_ICONQUESTION;
            break;
    }
    switch (buttons) {
        case MessageButtons::Ok:
            type |= MB_OK;
            break;
        case MessageButtons::OkCancel:
            type |= MB_OKCANCEL;
            break;
        case MessageButtons::YesNo:
            type |= MB_YESNO;
            break;
        case MessageButtons::YesNoCancel:
            type |= MB_YESNOCANCEL;
            break;
        case MessageButtons::YesNoDefaultNo:
            type |= MB_YESNO | MB_DEFBUTTON2;
            break;
    }
    // A fatal failure repeats its text as caption and has no owner; so has
    // the question before quitting.
    const bool ownerless = caption == text || caption == L"Exit Quorel";
    HWND owner = ownerless ? nullptr : main_;
    if (owner == nullptr && progress_.window() != nullptr && !ownerless) {
        owner = progress_.window();
    }
    const int answer =
        MessageBoxW(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), type);
    switch (answer) {
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        case IDCANCEL:
            return MessageAnswer::Cancel;
        default:
            return MessageAnswer::Ok;
    }
}

void GuiInteraction::setStatusText(int part, const std::wstring& text) {
    if (part < 0 || part > 2) {
        return;
    }
    kept_[part] = text;
    if (status_ != nullptr) {
        SendMessageW(status_, SB_SETTEXTW, static_cast<WPARAM>(part),
                     reinterpret_cast<LPARAM>(kept_[part].c_str()));
    }
}

void GuiInteraction::ReapplyStatusTexts() {
    for (int part = 0; part < 3; ++part) {
        setStatusText(part, std::wstring(kept_[part]));
    }
}

void GuiInteraction::AttachMainWindow(HWND mainWindow, HWND statusBar) {
    main_ = mainWindow;
    status_ = statusBar;
}

void GuiInteraction::showProgressText(const std::wstring& text) {
    progress_.Update(text);
}

void GuiInteraction::pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void EndProcess(InteractionPort& ui, const ProcessEnd& end) {
    if (!end.text.empty()) {
        ui.showMessage(end.text, end.caption, MessageIcon::Error);
    }
    ExitProcess(static_cast<UINT>(end.exitCode));
}

}  // namespace quorel::win32
