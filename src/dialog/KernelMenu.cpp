// The right-click menu of the benchmark buttons: what a developer can ask of
// a button's kernel besides running it. One table lists the items; each
// names the handler that acts on the button's kernel.
#include "DisasmDlg.h"
#include "SweepDlg.h"
#include "SweepTable.h"
#include "VariantsDlg.h"
#include "VelquorDlg.h"
#include "bench/Buttons.h"
#include "bench/Protocol.h"

#include <random>
#include <string>

namespace {

/// One item of the menu.
struct KernelMenuItem {
    UINT command;
    /// Its text in the string table.
    UINT textId;
    void (CVelquorDlg::*handler)(const bench::ButtonSpec& button);
    /// Runs kernels: greyed while a sweep measures.
    bool runsKernels;
};

}  // namespace

void CVelquorDlg::OnContextMenu(CWnd* pWnd, CPoint point) {
    static constexpr KernelMenuItem kItems[] = {
        {res::ID_KERNEL_DISASM, res::IDS_KERNEL_DISASM, &CVelquorDlg::OnKernelDisasm, false},
        {res::ID_KERNEL_VARIANTS, res::IDS_KERNEL_VARIANTS, &CVelquorDlg::OnKernelVariants, true},
        {res::ID_KERNEL_SWEEP, res::IDS_KERNEL_SWEEP, &CVelquorDlg::OnKernelSweep, true},
    };
    const bench::ButtonSpec* button = pWnd != nullptr ? bench::FindButton(pWnd->GetDlgCtrlID()) : nullptr;
    if (button == nullptr) {
        CDialogEx::OnContextMenu(pWnd, point);
        return;
    }
    if (point == CPoint(-1, -1)) {
        // The menu key: the menu opens below the button.
        RECT rect;
        pWnd->GetWindowRect(&rect);
        point = CPoint(rect.left, rect.bottom);
    }
    CMenu menu;
    menu.CreatePopupMenu();
    for (const KernelMenuItem& item : kItems) {
        CString text;
        text.LoadString(item.textId);
        const bool greyed = item.runsKernels && CSweepDlg::Measuring();
        menu.AppendMenuW(MF_STRING | (greyed ? MF_GRAYED : 0), item.command, text);
    }
    const UINT chosen =
        static_cast<UINT>(menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, point.x, point.y, this));
    for (const KernelMenuItem& item : kItems) {
        if (item.command == chosen) (this->*item.handler)(*button);
    }
}

void CVelquorDlg::OnKernelDisasm(const bench::ButtonSpec& button) {
    CString countText;
    // The box states the elements a run fills: a fixed-size array's own, not the field's.
    const int count = button.readsCount ? ReadCount(button, countText) : bench::kFixedArrayLength;
    CDisasmDlg::Open(button.kernel, CString(std::string(button.name).c_str()), count, this);
}

void CVelquorDlg::OnKernelVariants(const bench::ButtonSpec& button) {
    if (CSweepDlg::RefuseWhileMeasuring()) return;
    CString countText;
    const int count = ReadCount(button, countText);
    // The click's own kernel decides on the count, as a click does: a count it
    // refuses is refused before anything is allocated or timed, and the user
    // is told as after a click, with no box. An accepted count fills the
    // array once more, which only warms it.
    const bench::Measurement check = button.kernel(count);
    if (!check.Succeeded() && check.error->kind == bench::ErrorKind::CountRefused) {
        ReportFailure(button, check);
        return;
    }
    CVariantsDlg::Open(button, count, this);
}

void CVelquorDlg::OnKernelSweep(const bench::ButtonSpec& button) {
    if (const CString why = dialog::SweepRefusalText(button); !why.IsEmpty()) {
        AfxMessageBox(why, MB_ICONASTERISK);
        return;
    }
    bench::SweepRequest request = m_sweepRequest;
    request.buttons = {&button};
    if (request.seed == 0) request.seed = std::random_device{}();
    CSweepDlg::Open(request, this);
}

void CVelquorDlg::OnSweepMeasuring(UINT measuring, LPARAM) {
    for (const bench::ButtonSpec& b : bench::kButtons) {
        // The hidden row stays as it was made: hidden and disabled.
        if (b.hidden) continue;
        if (CWnd* button = GetDlgItem(b.buttonId)) button->EnableWindow(measuring == FALSE);
    }
}
