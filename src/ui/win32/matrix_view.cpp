#include "ui/win32/matrix_view.h"

#include <windowsx.h>

#include <string>
#include <vector>

#include "app/app_controller.h"
#include "platform/interaction_port.h"
#include "ui/win32/dpi.h"
#include "view/find_bar.h"

namespace quorel::win32 {

using namespace view_change;

MatrixView::MatrixView(AppController& app, InteractionPort& ui, UINT dpi)
    : app_(app),
      ui_(ui),
      dpi_(dpi),
      renderer_(dpi),
      view_(app.view(), app.edits(), app.gate()),
      commands_(app, view_) {
    lineHeight_ = LineHeightOf(renderer_.textLineHeight(), 0);
}

MatrixView::~MatrixView() {
    freeBitmap();
}

void MatrixView::freeBitmap() {
    if (memDc_ != nullptr) {
        SelectObject(memDc_, oldBitmap_);
        DeleteDC(memDc_);
        memDc_ = nullptr;
    }
    if (memBitmap_ != nullptr) {
        DeleteObject(memBitmap_);
        memBitmap_ = nullptr;
    }
}

void MatrixView::Attach(HWND window, HWND findText, HWND highlightBox, HWND showMatchingBox) {
    window_ = window;
    findText_ = findText;
    highlightBox_ = highlightBox;
    showMatchingBox_ = showMatchingBox;
    SetScrollRange(window_, SB_HORZ, 0, 100, FALSE);
}

bool MatrixView::OnSize(int widthPx, int heightPx) {
    freeBitmap();
    widthPx_ = std::max(widthPx, 1);
    heightPx_ = std::max(heightPx, 1);
    HDC screen = GetDC(window_);
    memDc_ = CreateCompatibleDC(screen);
    if (memDc_ != nullptr) {
        // A 32-bit picture whatever the display: colours stay exact.
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = widthPx_;
        info.bmiHeader.biHeight = -heightPx_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        memBitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (memBitmap_ != nullptr) {
            oldBitmap_ = SelectObject(memDc_, memBitmap_);
        }
    }
    ReleaseDC(window_, screen);
    if (memDc_ == nullptr || memBitmap_ == nullptr) {
        return false;
    }
    Redraw();
    return true;
}

int MatrixView::lineHeightPx() const {
    return renderer_.toDevice(lineHeight_);
}

void MatrixView::Redraw() {
    if (memDc_ == nullptr) {
        return;
    }
    LayoutMetrics metrics;
    metrics.clientWidth = renderer_.fromDevice(widthPx_);
    metrics.drawingHeight = renderer_.fromDevice(heightPx_);
    metrics.lineHeight = lineHeight_;
    metrics.columnWidth = ColumnWidthOf(app_.view().rights(), renderer_);
    metrics.findMode = app_.view().find().findMode;
    view_.Layout(metrics, renderer_);
    renderer_.Paint(memDc_, view_.screen(), widthPx_, heightPx_);
    SetScrollPos(window_, SB_VERT, view_.state().vScrollPos(), TRUE);
    const FindState& find = app_.view().find();
    SendMessageW(highlightBox_, BM_SETCHECK, find.highlight ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(showMatchingBox_, BM_SETCHECK, find.showMatchingOnly ? BST_CHECKED : BST_UNCHECKED,
                 0);
    InvalidateRect(window_, nullptr, FALSE);
}

unsigned MatrixView::Apply(unsigned changes) {
    const MainViewState& state = view_.state();
    if (changes & kVerticalRange) {
        SetScrollRange(window_, SB_VERT, 0, state.vScrollMax(), FALSE);
    }
    if (changes & kVerticalBox) {
        SetScrollPos(window_, SB_VERT, state.vScrollPos(), TRUE);
    }
    if (changes & kHorizontalBox) {
        SetScrollPos(window_, SB_HORZ, state.hScroll(), TRUE);
    }
    if (changes & kWheelWord) {
        ui_.setStatusText(1, state.wheelWord());
    }
    if (changes & kRedraw) {
        Redraw();
    }
    return changes;
}

void MatrixView::Paint(HDC dc) {
    if (memDc_ != nullptr) {
        BitBlt(dc, 0, 0, widthPx_, heightPx_, memDc_, 0, 0, SRCCOPY);
    }
    if (!app_.view().find().findMode) {
        return;
    }
    const int h96 = renderer_.fromDevice(heightPx_);
    const FindLabel label = FindBarLabel(h96);
    HGDIOBJ old = SelectObject(dc, renderer_.normalFont());
    SetBkColor(dc, RGB(255, 255, 255));
    SetTextColor(dc, RGB(0, 0, 0));
    const std::wstring text = label.text;
    TextOutW(dc, renderer_.toDevice(label.x), heightPx_ - renderer_.toDevice(h96 - label.y),
             text.c_str(), static_cast<int>(text.size()));
    SelectObject(dc, old);
}

CommandOutcome MatrixView::Command(int id) {
    std::wstring text;
    if (findText_ != nullptr) {
        const int n = std::min(GetWindowTextLengthW(findText_), find_bar::kMaxText);
        text.resize(static_cast<std::size_t>(n) + 1);
        text.resize(static_cast<std::size_t>(GetWindowTextW(findText_, text.data(), n + 1)));
    }
    CommandOutcome outcome = commands_.Run(id, text);
    outcome.changes = Apply(outcome.changes);
    return outcome;
}

unsigned MatrixView::ShowLine(std::size_t index) {
    return Apply(view_.ShowLine(index));
}

void MatrixView::contextMenu(int x, int y) {
    HMENU menu = CreatePopupMenu();
    for (const ContextMenuItem& item : MainCommands::ContextMenu()) {
        if (item.id == 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), item.text);
        }
    }
    RECT frame{};
    GetWindowRect(window_, &frame);
    SetForegroundWindow(window_);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, frame.left + x,
                   frame.top + y + renderer_.toDevice(48), 0, window_, nullptr);
    DestroyMenu(menu);
}

bool MatrixView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, unsigned& changes) {
    switch (message) {
        case WM_VSCROLL:
            changes = Apply(view_.OnVerticalScroll(LOWORD(wParam), HIWORD(wParam)));
            return true;
        case WM_HSCROLL:
            changes = Apply(view_.OnHorizontalScroll(LOWORD(wParam), HIWORD(wParam)));
            return true;
        case WM_MOUSEWHEEL:
            changes = Apply(view_.OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam)));
            return true;
        case WM_MBUTTONUP:
            changes = Apply(view_.OnMiddleButton());
            return true;
        case WM_KEYDOWN:
            view_.OnKeyDown(static_cast<int>(wParam));
            changes = 0;
            return true;
        case WM_KEYUP:
            view_.OnKeyUp(static_cast<int>(wParam));
            changes = 0;
            return true;
        case WM_LBUTTONDOWN:
            // The keys held at the click count, also when the key went down
            // while another window had the focus.
            if (wParam & MK_CONTROL) {
                view_.OnKeyDown(VK_CONTROL);
            } else if (wParam & MK_SHIFT) {
                view_.OnKeyDown(VK_SHIFT);
            } else {
                view_.OnKeyUp(VK_CONTROL);
            }
            changes = Apply(view_.OnLeftButton(renderer_.fromDevice(GET_X_LPARAM(lParam)),
                                               renderer_.fromDevice(GET_Y_LPARAM(lParam))));
            return true;
        case WM_LBUTTONDBLCLK:
            changes = Apply(commands_
                                .OnDoubleClick(renderer_.fromDevice(GET_X_LPARAM(lParam)),
                                               renderer_.fromDevice(GET_Y_LPARAM(lParam)))
                                .changes);
            return true;
        case WM_RBUTTONDOWN:
            contextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            changes = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace quorel::win32
