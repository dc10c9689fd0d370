// The benchmark buttons' handlers: each runs its own kernel through the one
// helper that does the window's part of a click.
#include "VelquorDlg.h"

#include "FailureMessage.h"
#include "ResultText.h"
#include "SweepDlg.h"
#include "bench/Buttons.h"
#include "framework/Crt.h"

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

/// The button that runs Kernel; a kernel outside the table does not compile.
template <bench::KernelFunction Kernel>
constexpr const bench::ButtonSpec& ButtonOf() {
    static_assert(bench::FindButton(Kernel) != nullptr, "a handler runs a kernel the button table does not know");
    return *bench::FindButton(Kernel);
}

}  // namespace

void CVelquorDlg::RunBenchmark(const bench::ButtonSpec& button) {
    // The buttons are greyed while a sweep measures; a click that comes all
    // the same (a program's message) changes nothing.
    if (CSweepDlg::RefuseWhileMeasuring()) return;
    CEdit& resultField = ResultField(button.resultFieldId);
    CString text(L"");
    resultField.SetWindowTextW(text);
    const int count = ReadCount(button, text);

    const bench::Measurement measurement = button.kernel(count);

    if (!measurement.Succeeded()) {
        // The result field stays empty: no time is shown for work never done.
        ReportFailure(button, measurement);
        return;
    }
    dialog::FormatResultText(text, measurement.elapsed);
    resultField.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({button.buttonId, measurement, text});
}

void CVelquorDlg::ReportFailure(const bench::ButtonSpec& button, const bench::Measurement& failed) {
    std::fprintf(stderr, "velquor: button %d: %s\n", button.buttonId, failed.error->message.c_str());
    AfxMessageBox(dialog::FailureMessage(button.buttonId, failed), MB_ICONHAND);
}

int CVelquorDlg::ReadCount(const bench::ButtonSpec& button, CString& text) {
    // The fixed-size arrays do not read the field; their kernels ignore the count.
    if (!button.readsCount) return 0;
    m_editCount.GetWindowTextW(text);
    return _wtoi(text);
}

CEdit& CVelquorDlg::ResultField(int fieldId) {
    static constexpr CEdit CVelquorDlg::*kResultFields[] = {
        &CVelquorDlg::m_editResult1001, &CVelquorDlg::m_editResult1003, &CVelquorDlg::m_editResult1005,
        &CVelquorDlg::m_editResult1007, &CVelquorDlg::m_editResult1009, &CVelquorDlg::m_editResult1011,
        &CVelquorDlg::m_editResult1013, &CVelquorDlg::m_editResult1015, &CVelquorDlg::m_editResult1019,
        &CVelquorDlg::m_editResult1017, &CVelquorDlg::m_editResult1021, &CVelquorDlg::m_editResult1023,
        &CVelquorDlg::m_editResult1025, &CVelquorDlg::m_editResult1031, &CVelquorDlg::m_editResult1034,
        &CVelquorDlg::m_editResult1036, &CVelquorDlg::m_editResult1038, &CVelquorDlg::m_editResult1040,
        &CVelquorDlg::m_editResult1042, &CVelquorDlg::m_editResult1044, &CVelquorDlg::m_editResult1054,
        &CVelquorDlg::m_editResult1056,
    };
    for (CEdit CVelquorDlg::*field : kResultFields) {
        if ((this->*field).GetDlgCtrlID() == fieldId) return this->*field;
    }
    // Every button's field is bound by the data exchange; a field outside the
    // table would be a programming error, caught where messages are dispatched.
    throw std::logic_error("no result field " + std::to_string(fieldId));
}

// Dynamic arrays
void CVelquorDlg::OnBnClickedNewArray() { RunBenchmark(ButtonOf<bench::FillNewIntArray>()); }
void CVelquorDlg::OnBnClickedMallocArray() { RunBenchmark(ButtonOf<bench::FillMallocIntArray>()); }
void CVelquorDlg::OnBnClickedNewArrayPointer() { RunBenchmark(ButtonOf<bench::FillNewIntArrayByPointer>()); }
void CVelquorDlg::OnBnClickedCharNewArrayPointer() { RunBenchmark(ButtonOf<bench::FillCharStringArrayByPointer>()); }
void CVelquorDlg::OnBnClickedCharNewArray() { RunBenchmark(ButtonOf<bench::FillCharStringArray>()); }
// Vectors
void CVelquorDlg::OnBnClickedVectorPushBack() { RunBenchmark(ButtonOf<bench::FillVectorPushBack>()); }
void CVelquorDlg::OnBnClickedVectorPushBackNoReserve() { RunBenchmark(ButtonOf<bench::FillVectorPushBackGrowing>()); }
void CVelquorDlg::OnBnClickedVectorAt() { RunBenchmark(ButtonOf<bench::FillVectorAt>()); }
void CVelquorDlg::OnBnClickedVectorIndex() { RunBenchmark(ButtonOf<bench::FillVectorIndex>()); }
// String arrays
void CVelquorDlg::OnBnClickedCStringNewArrayPointer() { RunBenchmark(ButtonOf<bench::FillCStringArrayByPointer>()); }
void CVelquorDlg::OnBnClickedCStringNewArray() { RunBenchmark(ButtonOf<bench::FillCStringArray>()); }
void CVelquorDlg::OnBnClickedCStringFixedArray() { RunBenchmark(ButtonOf<bench::FillLocalCStringArray>()); }
void CVelquorDlg::OnBnClickedStdStringNewArray() { RunBenchmark(ButtonOf<bench::FillStdStringArray>()); }
// Local fixed-size arrays
void CVelquorDlg::OnBnClickedStdArray() { RunBenchmark(ButtonOf<bench::FillLocalStdArray>()); }
void CVelquorDlg::OnBnClickedStdArrayInit() { RunBenchmark(ButtonOf<bench::FillLocalStdArrayInit>()); }
void CVelquorDlg::OnBnClickedIntFixedArray() { RunBenchmark(ButtonOf<bench::FillLocalIntArray>()); }
// Global static arrays
void CVelquorDlg::OnBnClickedGlobalStdArray() { RunBenchmark(ButtonOf<bench::FillGlobalArray<g_stdArray>>()); }
void CVelquorDlg::OnBnClickedGlobalStdArrayInit() { RunBenchmark(ButtonOf<bench::FillGlobalArray<g_stdArrayInit>>()); }
void CVelquorDlg::OnBnClickedGlobalStaticArray() { RunBenchmark(ButtonOf<bench::FillGlobalArray<g_staticArray>>()); }
void CVelquorDlg::OnBnClickedGlobalStaticArrayInit() { RunBenchmark(ButtonOf<bench::FillGlobalArray<g_staticArrayInit>>()); }
void CVelquorDlg::OnBnClickedGlobalPointer() { RunBenchmark(ButtonOf<bench::FillGlobalArrayByPointer>()); }
void CVelquorDlg::OnBnClickedGlobalPointerInit() { RunBenchmark(ButtonOf<bench::MoveGlobalPointer>()); }
