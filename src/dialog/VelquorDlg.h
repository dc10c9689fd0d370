// The main window: the count field, the benchmark buttons with their result
// fields, the version button and the About entry of the system menu.
#pragma once

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

namespace bench {
class RunObserver;
}

class CVelquorDlg : public CDialogEx {
public:
    explicit CVelquorDlg(CWnd* parent = nullptr);
    ~CVelquorDlg() override;

    const afx::MessageMap* GetMessageMap() const override;

    /// Every completed benchmark run is reported to this observer; nullptr: to no one.
    void SetRunObserver(bench::RunObserver* observer) { m_runObserver = observer; }

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

    // Benchmark handlers, one per button; each times one fill of its array.
    // Dynamic arrays (bench/DynamicArrays.cpp)
    void OnBnClickedNewArray();                // 1000: int[] from array new, by index
    void OnBnClickedMallocArray();             // 1018: int[] from malloc
    void OnBnClickedNewArrayPointer();         // 1020: int[] from array new, walking pointer
    void OnBnClickedCharNewArrayPointer();     // 1030: CString[] through narrow strings, walking pointer
    void OnBnClickedCharNewArray();            // 1032: CString[] through narrow strings, by index
    // Vectors (bench/Vectors.cpp)
    void OnBnClickedVectorPushBack();          // 1002: push_back into reserved storage
    void OnBnClickedVectorPushBackNoReserve(); // 1006: push_back, growing inside the loop
    void OnBnClickedVectorAt();                // 1004: at()
    void OnBnClickedVectorIndex();             // 1008: operator[]
    // String arrays (bench/StringArrays.cpp)
    void OnBnClickedCStringNewArrayPointer();  // 1010: CString[] from array new, walking pointer
    void OnBnClickedCStringNewArray();         // 1016: CString[] from array new, by index
    void OnBnClickedCStringFixedArray();       // 1024: local CString[100000]
    void OnBnClickedStdStringNewArray();       // 1035: std::string[] from array new
    // Local fixed-size arrays (bench/FixedArrays.cpp)
    void OnBnClickedStdArray();                // 1012: std::array<int, 100000>, zeroed first
    void OnBnClickedStdArrayInit();            // 1014: the same, under "初期化した場合"
    void OnBnClickedIntFixedArray();           // 1022: int[100000] as it comes
    // Global static arrays (bench/GlobalArrays.cpp)
    void OnBnClickedGlobalStdArray();          // 1037: g_stdArray
    void OnBnClickedGlobalStdArrayInit();      // 1039: g_stdArrayInit
    void OnBnClickedGlobalStaticArray();       // 1041: g_staticArray
    void OnBnClickedGlobalStaticArrayInit();   // 1043: g_staticArrayInit
    void OnBnClickedGlobalPointer();           // 1053: g_staticArray through g_pStaticArray
    void OnBnClickedGlobalPointerInit();       // 1055: moves g_pStaticArrayInit

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

    bench::RunObserver* m_runObserver = nullptr;
};
