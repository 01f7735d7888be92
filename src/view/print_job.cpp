#include "view/print_job.h"

namespace quorel {

PrintResult RunPrintJob(PrintLayout& layout, PrintDevice& device) {
    PrintResult result;
    if (!device.StartDocument()) {
        device.EndDocument();
        result.status = PrintResult::Status::DocumentRefused;
        return result;
    }
    PrintPage page;
    while (layout.NextPage(page)) {
        if (!device.StartPage()) {
            result.status = PrintResult::Status::PageFailed;
            result.failedPage = page.number;
            break;
        }
        for (const PrintItem& item : page.items) {
            device.Draw(item);
        }
        if (!device.EndPage()) {
            result.status = PrintResult::Status::PageFailed;
            result.failedPage = page.number;
            break;
        }
        ++result.pages;
    }
    device.EndDocument();
    return result;
}

std::wstring PrintFailureText(long failedPage) {
    std::wstring text = L"Printing stopped: the printer did not accept page ";
    text += std::to_wstring(failedPage);
    text += failedPage > 1 ? L". The pages before it were printed; the document was ended."
                           : L". Nothing was printed; the document was ended.";
    return text;
}

}  // namespace quorel
