// The main window: the count field, the benchmark buttons with their result
// fields, the version button and the About entry of the system menu.
#pragma once

#include "RunRecord.h"
#include "bench/Sweep.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

namespace bench {
struct ButtonSpec;
}

class CVelquorDlg : public CDialogEx {
public:
    explicit CVelquorDlg(CWnd* parent = nullptr);
    ~CVelquorDlg() override;

    const afx::MessageMap* GetMessageMap() const override;

    /// Every completed benchmark run is reported to this observer; nullptr: to no one.
    void SetRunObserver(dialog::RunObserver* observer) { m_runObserver = observer; }
    /// The sizes, clicks per size and click budget of the sweeps the buttons'
    /// menu opens (its buttons are ignored; seed 0: a new seed each sweep);
    /// by default the default series and protocol.
    void SetSweepRequest(const bench::SweepRequest& request) { m_sweepRequest = request; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBnClickedOk();
    void OnBnClickedCancel();
    void OnBnClickedVersion();
    void OnEnChangeCount();
    /// A right-click on a benchmark button offers what can be asked of its
    /// kernel (KernelMenu.cpp); anywhere else the default menus open.
    void OnContextMenu(CWnd* pWnd, CPoint point);
    /// Opens the box with the machine code of the button's kernel.
    void OnKernelDisasm(const bench::ButtonSpec& button);
    /// Opens the box that runs the button's kernel in each build variant;
    /// a count the kernel refuses gets the click's failure box instead.
    void OnKernelVariants(const bench::ButtonSpec& button);
    /// Opens the box that measures the button's fill over a series of sizes;
    /// a button with a fixed array, or none, gets one line that says why not.
    void OnKernelSweep(const bench::ButtonSpec& button);
    /// A sweep box started (measuring TRUE) or stopped measuring: the
    /// benchmark buttons are greyed meanwhile.
    void OnSweepMeasuring(UINT measuring, LPARAM);

    // Benchmark handlers, one per button (BenchmarkHandlers.cpp); each runs
    // its button's kernel once and shows what it measured.
    // Dynamic arrays
    void OnBnClickedNewArray();                // int[] from array new, by index
    void OnBnClickedMallocArray();             // int[] from malloc
    void OnBnClickedNewArrayPointer();         // int[] from array new, walking pointer
    void OnBnClickedCharNewArrayPointer();     // CString[] through narrow strings, walking pointer
    void OnBnClickedCharNewArray();            // CString[] through narrow strings, by index
    // Vectors
    void OnBnClickedVectorPushBack();          // push_back into reserved storage
    void OnBnClickedVectorPushBackNoReserve(); // push_back, growing inside the loop
    void OnBnClickedVectorAt();                // at()
    void OnBnClickedVectorIndex();             // operator[]
    // String arrays
    void OnBnClickedCStringNewArrayPointer();  // CString[] from array new, walking pointer
    void OnBnClickedCStringNewArray();         // CString[] from array new, by index
    void OnBnClickedCStringFixedArray();       // local CString[100000]
    void OnBnClickedStdStringNewArray();       // std::string[] from array new
    // Local fixed-size arrays
    void OnBnClickedStdArray();                // std::array<int, 100000>, zeroed first
    void OnBnClickedStdArrayInit();            // the same, under "初期化した場合"
    void OnBnClickedIntFixedArray();           // int[100000] as it comes
    // Global static arrays
    void OnBnClickedGlobalStdArray();          // g_stdArray
    void OnBnClickedGlobalStdArrayInit();      // g_stdArrayInit
    void OnBnClickedGlobalStaticArray();       // g_staticArray
    void OnBnClickedGlobalStaticArrayInit();   // g_staticArrayInit
    void OnBnClickedGlobalPointer();           // g_staticArray through g_pStaticArray
    void OnBnClickedGlobalPointerInit();       // moves g_pStaticArrayInit

    /// The window's part of a benchmark click: clears the button's result
    /// field, reads the count field unless the kernel has a fixed size, runs
    /// the button's kernel, and shows the result text or tells why there is none.
    void RunBenchmark(const bench::ButtonSpec& button);
    /// Tells the user why the button's run (failed.error set) did not
    /// complete, and a developer on standard error.
    void ReportFailure(const bench::ButtonSpec& button, const bench::Measurement& failed);
    /// The count the button's kernel runs with: the count field's leading
    /// number, read into text, or 0 for the fixed-size arrays, which ignore it.
    int ReadCount(const bench::ButtonSpec& button, CString& text);
    /// The bound member of a result field.
    CEdit& ResultField(int fieldId);

    HICON m_hIcon;
    CEdit m_editResult1001;
    CEdit m_editResult1003;
    CEdit m_editResult1005;
    CEdit m_editResult1007;
    CEdit m_editResult1009;
    CEdit m_editResult1011;
    CEdit m_editResult1013;
    CEdit m_editResult1015;
    CEdit m_editResult1019;
    CEdit m_editResult1017;
    CEdit m_editResult1021;
    CEdit m_editResult1023;
    CEdit m_editResult1025;
    CEdit m_editCount;
    CEdit m_editResult1031;
    CEdit m_editResult1034;
    CEdit m_editResult1036;
    CEdit m_editResult1038;
    CEdit m_editResult1040;
    CEdit m_editResult1042;
    CEdit m_editResult1044;
    CEdit m_editResult1054;
    CEdit m_editResult1056;

    dialog::RunObserver* m_runObserver = nullptr;
    bench::SweepRequest m_sweepRequest;
};
