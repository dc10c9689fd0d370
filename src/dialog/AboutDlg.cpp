#include "AboutDlg.h"

CAboutDlg::CAboutDlg() : CDialogEx(res::IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
}

const afx::MessageMap* CAboutDlg::GetMessageMap() const {
    // No entries of its own: OK, Esc and the close box keep their defaults.
    static const afx::MessageMap map{CDialogEx::GetMessageMap(), {}};
    return &map;
}
