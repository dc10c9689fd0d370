// Local arrays of 100,000 int in the handler's own stack frame (400,000 bytes):
// two std::array zeroed before the clock, one int[] used as it comes. They
// always fill all 100,000 elements and never read the count field.
#include "Run.h"
#include "dialog/VelquorDlg.h"

#include <array>
#include <chrono>
#include <cstring>
#include <vector>

void CVelquorDlg::OnBnClickedStdArray() {
    CString text(L"");
    m_editResult1013.SetWindowTextW(text);

    std::array<int, bench::kFixedArrayLength> array;
    std::memset(array.data(), 0, sizeof array);
    bench::Escape(array.data());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < bench::kFixedArrayLength; ++i) {
        array[i] = i;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    sink.push_back(array[bench::kFixedArrayLength - 1]);
    m_editResult1013.SetWindowTextW(text);
    if (m_runObserver != nullptr) {
        m_runObserver->OnRun({1012, bench::kFixedArrayLength, t1 - t0, text, bench::SinkText(sink)});
    }
}

void CVelquorDlg::OnBnClickedStdArrayInit() {
    CString text(L"");
    m_editResult1015.SetWindowTextW(text);

    std::array<int, bench::kFixedArrayLength> array;
    std::memset(array.data(), 0, sizeof array);
    bench::Escape(array.data());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < bench::kFixedArrayLength; ++i) {
        array[i] = i;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    sink.push_back(array[bench::kFixedArrayLength - 1]);
    m_editResult1015.SetWindowTextW(text);
    if (m_runObserver != nullptr) {
        m_runObserver->OnRun({1014, bench::kFixedArrayLength, t1 - t0, text, bench::SinkText(sink)});
    }
}

void CVelquorDlg::OnBnClickedIntFixedArray() {
    CString text(L"");
    m_editResult1023.SetWindowTextW(text);

    int array[bench::kFixedArrayLength];
    bench::Escape(array);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < bench::kFixedArrayLength; ++i) {
        array[i] = i;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    sink.push_back(array[bench::kFixedArrayLength - 1]);
    m_editResult1023.SetWindowTextW(text);
    if (m_runObserver != nullptr) {
        m_runObserver->OnRun({1022, bench::kFixedArrayLength, t1 - t0, text, bench::SinkText(sink)});
    }
}
