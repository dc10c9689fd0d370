// Arrays of strings filled with the decimal text of each index: CString arrays
// from array new (through a walking pointer and by index), a local
// CString[100000], and a std::string array from array new.
//
// Each index is formatted into the handler's one CString, text, so that no
// formatting string is created per element.
#include "Run.h"
#include "dialog/VelquorDlg.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

void CVelquorDlg::OnBnClickedCStringNewArrayPointer() {
    CString text(L"");
    m_editResult1011.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    CString* p = array.get();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        *p = text;
        ++p;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<CString> sink;
    CString last;
    if (count > 0) {
        last = array[count - 1];
        sink.push_back(last);
    }
    m_editResult1011.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1010, count, t1 - t0, text, bench::SinkText(sink)});
    array.reset();
}

void CVelquorDlg::OnBnClickedCStringNewArray() {
    CString text(L"");
    m_editResult1017.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        array[i] = text;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<CString> sink;
    CString last;
    if (count > 0) {
        last = array[count - 1];
        sink.push_back(last);
    }
    m_editResult1017.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1016, count, t1 - t0, text, bench::SinkText(sink)});
    array.reset();
}

void CVelquorDlg::OnBnClickedCStringFixedArray() {
    CString text(L"");
    m_editResult1025.SetWindowTextW(text);

    // 800,000 bytes of the GUI thread's stack; the count field is not read.
    CString array[bench::kFixedArrayLength];
    bench::Escape(array);

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < bench::kFixedArrayLength; ++i) {
        text.Format(L"%d", i);
        array[i] = text;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<CString> sink;
    sink.push_back(array[bench::kFixedArrayLength - 1]);
    m_editResult1025.SetWindowTextW(text);
    if (m_runObserver != nullptr) {
        m_runObserver->OnRun({1024, bench::kFixedArrayLength, t1 - t0, text, bench::SinkText(sink)});
    }
}

void CVelquorDlg::OnBnClickedStdStringNewArray() {
    CString text(L"");
    m_editResult1036.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::unique_ptr<std::string[]> array(new std::string[static_cast<std::size_t>(count)]);
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        CStringA narrow(text);
        std::string element(narrow.GetString());
        array[i] = element;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<std::string> sink;
    std::string last;
    if (count > 0) {
        last = array[count - 1];
        sink.push_back(last);
    }
    m_editResult1036.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1035, count, t1 - t0, text, bench::SinkText(sink)});
    array.reset();
}
