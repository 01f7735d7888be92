#pragma once

// One print command: the printer's document and pages around the items of a
// print layout, and what the user hears when the printer refuses a page.

#include <string>
#include <string_view>

#include "view/print_layout.h"

namespace quorel {

constexpr std::wstring_view kPrintDocumentName = L"Quorel printer output";
constexpr std::wstring_view kPrintFailureCaption = L"Print";

// A printer with its device context: the print font selected, the tick box
// pictures loaded. The desktop program draws with GDI; tests record.
class PrintDevice : public PrintMeasure {
  public:
    virtual PrintMetrics metrics() const = 0;
    // StartDoc with the document name kPrintDocumentName.
    virtual bool StartDocument() = 0;
    virtual bool StartPage() = 0;
    virtual bool EndPage() = 0;
    virtual void EndDocument() = 0;
    virtual void Draw(const PrintItem& item) = 0;
};

struct PrintResult {
    enum class Status {
        Printed,
        DocumentRefused,  // StartDoc failed: the document was ended, nothing printed
        PageFailed,       // StartPage or EndPage failed: the document was ended there
    };
    Status status = Status::Printed;
    long pages = 0;       // pages the printer took
    long failedPage = 0;  // the page it refused
};

// Prints every page of `layout` on `device`. When StartPage or EndPage
// fails the document is ended at once instead of drawing the rest onto a
// page the printer does not have: the caller tells the user
// (PrintFailureText), since nothing or only part was printed.
PrintResult RunPrintJob(PrintLayout& layout, PrintDevice& device);

// "Printing stopped: the printer did not accept page 3. The pages before it
// were printed; the document was ended." (page 1: "Nothing was printed;").
std::wstring PrintFailureText(long failedPage);

}  // namespace quorel
