// Heap arrays whose length is the count: int arrays from array new (by index
// and through a walking pointer) and from malloc, and CString arrays filled
// through narrow strings.
#include "Run.h"
#include "dialog/VelquorDlg.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

void CVelquorDlg::OnBnClickedNewArray() {
    CString text(L"");
    m_editResult1001.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        array[i] = i;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    std::vector<int> sink;
    if (count > 0) sink.push_back(array[count - 1]);
    m_editResult1001.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1000, count, t1 - t0, text, bench::SinkText(sink)});
    array.reset();
}

void CVelquorDlg::OnBnClickedMallocArray() {
    CString text(L"");
    m_editResult1019.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::unique_ptr<int[], bench::FreeDeleter> array(
        static_cast<int*>(std::malloc(sizeof(int) * static_cast<std::size_t>(count))));
    // The fill needs the block; an empty one may come back as a null pointer.
    if (array == nullptr && count > 0) throw CMemoryException();
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        array[i] = i;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    m_editResult1019.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1018, count, t1 - t0, text, std::nullopt});
    array.reset();
}

void CVelquorDlg::OnBnClickedNewArrayPointer() {
    CString text(L"");
    m_editResult1021.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::unique_ptr<int[]> array(new int[static_cast<std::size_t>(count)]);
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    int* p = array.get();
    for (int i = 0; i < count; ++i) {
        *p = i;
        ++p;
    }
    bench::Clobber();
    const auto t1 = std::chrono::system_clock::now();

    bench::FormatResultText(text, t1 - t0);
    // The value the kernel stored last, from the count alone: -1 for an empty
    // array, whose elements are never read.
    std::vector<int> sink;
    sink.push_back(count - 1);
    m_editResult1021.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1020, count, t1 - t0, text, bench::SinkText(sink)});
    array.reset();
}

void CVelquorDlg::OnBnClickedCharNewArrayPointer() {
    CString text(L"");
    m_editResult1031.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    // The pointer variant also holds a char array of count elements for the
    // whole run; nothing reads or writes it.
    std::unique_ptr<char[]> chars(new char[static_cast<std::size_t>(count)]);
    bench::Escape(chars.get());
    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    CString* p = array.get();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        CStringA narrow(text);
        *p = narrow.GetString();
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
    m_editResult1031.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1030, count, t1 - t0, text, bench::SinkText(sink)});
    chars.reset();
    array.reset();
}

void CVelquorDlg::OnBnClickedCharNewArray() {
    CString text(L"");
    m_editResult1034.SetWindowTextW(text);
    const int count = bench::ReadCount(m_editCount, text);

    std::unique_ptr<CString[]> array(new CString[static_cast<std::size_t>(count)]);
    bench::Escape(array.get());

    const auto t0 = std::chrono::system_clock::now();
    for (int i = 0; i < count; ++i) {
        text.Format(L"%d", i);
        CStringA narrow(text);
        array[i] = narrow.GetString();
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
    m_editResult1034.SetWindowTextW(text);
    if (m_runObserver != nullptr) m_runObserver->OnRun({1032, count, t1 - t0, text, bench::SinkText(sink)});
    array.reset();
}
