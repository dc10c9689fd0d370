// std::vector<int> filled by push_back (into reserved storage, and growing
// inside the timed loop), by at() and by operator[].
#include "Run.h"
#include "dialog/VelquorDlg.h"

#include <chrono>
#include <vector>

void CVelquorDlg::OnBnClickedVectorPushBack() {
    CString text(L"");
    m_editResult1003.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(count));
    bench::Escape(values.data());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        values.push_back(i);
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    if (count > 0) sink.push_back(values[count - 1]);
    m_editResult1003.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1002, count, t1 - t0, text, bench::SinkText(sink)});
}

void CVelquorDlg::OnBnClickedVectorPushBackNoReserve() {
    CString text(L"");
    m_editResult1007.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    // No storage yet: the vector itself escapes, so the storage it grows into does too.
    std::vector<int> values;
    bench::Escape(&values);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        values.push_back(i);
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    if (count > 0) sink.push_back(values[count - 1]);
    m_editResult1007.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1006, count, t1 - t0, text, bench::SinkText(sink)});
}

void CVelquorDlg::OnBnClickedVectorAt() {
    CString text(L"");
    m_editResult1005.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(0);
    }
    bench::Escape(values.data());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        values.at(i) = i;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    if (count > 0) sink.push_back(values[count - 1]);
    m_editResult1005.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1004, count, t1 - t0, text, bench::SinkText(sink)});
}

void CVelquorDlg::OnBnClickedVectorIndex() {
    CString text(L"");
    m_editResult1009.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::vector<int> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        values.push_back(0);
    }
    bench::Escape(values.data());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        values[i] = i;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    if (count > 0) sink.push_back(values[count - 1]);
    m_editResult1009.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1008, count, t1 - t0, text, bench::SinkText(sink)});
}
