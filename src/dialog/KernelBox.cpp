#include "KernelBox.h"

namespace dialog {

void SetUpKernelBox(CWnd& box, const CString& title, CFont& font, CWnd& table) {
    CString caption;
    box.GetWindowTextW(caption);
    box.SetWindowTextW(caption + L" - " + title);
    font.CreatePointFont(90, L"MS Gothic");
    table.SetFont(&font);
}

}  // namespace dialog
