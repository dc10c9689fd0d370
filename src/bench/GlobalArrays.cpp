// The four global arrays of 4,000,000 unsigned 64-bit elements, filled by name
// and through the two global pointers. Every run that writes elements sets
// them back to 0 after its result field is set, so each run starts on zeros.
//
// The count field keeps values at or below 100000, but the program itself can
// put any text there: a count the arrays cannot hold is refused before the
// clock starts.
#include "GlobalData.h"
#include "Run.h"
#include "dialog/VelquorDlg.h"

#include <chrono>
#include <cstring>

void CVelquorDlg::OnBnClickedGlobalStdArray() {
    CString text(L"");
    m_editResult1038.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text, bench::kGlobalArrayLength);
    bench::Escape(&g_stdArray);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        g_stdArray[i] = static_cast<unsigned long long>(i);
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    m_editResult1038.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1037, count, t1 - t0, text, std::nullopt});
    if (count > 0) std::memset(g_stdArray.data(), 0, sizeof(unsigned long long) * count);
}

void CVelquorDlg::OnBnClickedGlobalStdArrayInit() {
    CString text(L"");
    m_editResult1040.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text, bench::kGlobalArrayLength);
    bench::Escape(&g_stdArrayInit);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        g_stdArrayInit[i] = static_cast<unsigned long long>(i);
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    m_editResult1040.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1039, count, t1 - t0, text, std::nullopt});
    if (count > 0) std::memset(g_stdArrayInit.data(), 0, sizeof(unsigned long long) * count);
}

void CVelquorDlg::OnBnClickedGlobalStaticArray() {
    CString text(L"");
    m_editResult1042.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text, bench::kGlobalArrayLength);
    bench::Escape(g_staticArray);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        g_staticArray[i] = static_cast<unsigned long long>(i);
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    m_editResult1042.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1041, count, t1 - t0, text, std::nullopt});
    if (count > 0) std::memset(g_staticArray, 0, sizeof(unsigned long long) * count);
}

void CVelquorDlg::OnBnClickedGlobalStaticArrayInit() {
    CString text(L"");
    m_editResult1044.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text, bench::kGlobalArrayLength);
    bench::Escape(g_staticArrayInit);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        g_staticArrayInit[i] = static_cast<unsigned long long>(i);
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    m_editResult1044.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1043, count, t1 - t0, text, std::nullopt});
    if (count > 0) std::memset(g_staticArrayInit, 0, sizeof(unsigned long long) * count);
}

void CVelquorDlg::OnBnClickedGlobalPointer() {
    CString text(L"");
    m_editResult1054.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text, bench::kGlobalArrayLength);
    bench::Escape(g_pStaticArray);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        g_pStaticArray[i] = static_cast<unsigned long long>(i);
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    m_editResult1054.SetWindowTextW(text);
    // The sink follows the result field. With a count of 0 there is no last
    // element, and the sink is left empty.
    g_sinkStrings.clear();
    CString value;
    if (count > 0) {
        value.Format(L"%llu", g_pStaticArray[count - 1]);
        g_sinkStrings.push_back(value);
    }
    if (m_runObserver != nullptr) m_runObserver->OnRun({1053, count, t1 - t0, text, bench::SinkText(g_sinkStrings)});
    if (count > 0) std::memset(g_pStaticArray, 0, sizeof(unsigned long long) * count);
}

void CVelquorDlg::OnBnClickedGlobalPointerInit() {
    CString text(L"");
    m_editResult1056.SetWindowTextW(text);
    // The sink reads element 3 x count - 3 of g_staticArrayInit; the count is
    // bounded so that this read, and the move of 2 x count, stay inside it.
    const int count = bench::ReadCount(m_editCount, text, bench::kMovingPointerMaxCount);
    bench::Escape(&g_pStaticArrayInit);

    // The pointer goes back to the first element of g_staticArrayInit when the
    // run ends, also when it ends by an exception, so every run starts there.
    struct RewindPointer {
        ~RewindPointer() { g_pStaticArrayInit = g_staticArrayInit; }
    } rewindPointer;

    const auto t0 = std::chrono::system_clock::now();
    g_pStaticArrayInit += 2 * static_cast<std::ptrdiff_t>(count);
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    m_editResult1056.SetWindowTextW(text);
    // With a count of 0 the element count - 3 would lie before the array: the
    // sink is left empty.
    g_sinkStrings.clear();
    CString value;
    if (count > 0) {
        value.Format(L"%llu", g_pStaticArrayInit[count - 3]);
        g_sinkStrings.push_back(value);
    }
    if (m_runObserver != nullptr) m_runObserver->OnRun({1055, count, t1 - t0, text, bench::SinkText(g_sinkStrings)});
}
