// The box that runs one benchmark button's kernel in each build variant and
// shows their medians side by side. It is modeless: the main window goes on
// taking clicks while it is open, and it closes with the main window.
#pragma once

#include "framework/Dialog.h"
#include "framework/Font.h"

namespace bench {
struct ButtonSpec;
}

class CVariantsDlg : public CDialogEx {
public:
    /// Opens the box of the button, owned by parent; its kernels run with
    /// count. The box deletes itself when its window goes.
    static void Open(const bench::ButtonSpec& button, int count, CWnd* parent);

    const afx::MessageMap* GetMessageMap() const override;

protected:
    CVariantsDlg(const bench::ButtonSpec& button, int count);
    ~CVariantsDlg() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void PostNcDestroy() override;
    /// Runs every variant's clicks again and shows the new table.
    void OnBnClickedRerun();

private:
    /// Replaces the notice above the table.
    void SetNotice(const CString& text);

    const bench::ButtonSpec& m_button;
    int m_count;
    CFont m_fontTable;
    CEdit m_editTable;
};
