// The main window: the count field, the benchmark buttons with their result
// fields, the version button and the About entry of the system menu.
#pragma once

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

class CVelquorDlg : public CDialogEx {
public:
    explicit CVelquorDlg(CWnd* parent = nullptr);
    ~CVelquorDlg() override;

    const afx::MessageMap* GetMessageMap() const override;

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
};
