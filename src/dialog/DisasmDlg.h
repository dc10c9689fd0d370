// The box that shows the machine code of one kernel's timed section and, on
// request, where its time goes. It is modeless: the main window goes on
// taking clicks while it is open, and it closes with the main window.
#pragma once

#include "bench/Measurement.h"
#include "disasm/Listing.h"
#include "framework/Dialog.h"
#include "framework/Font.h"

namespace disasm {
struct HotShares;
}

class CDisasmDlg : public CDialogEx {
public:
    /// Opens the box of kernel, titled with title, owned by parent; sampling
    /// runs kernel(count). The box deletes itself when its window goes.
    static void Open(bench::KernelFunction kernel, const CString& title, int count, CWnd* parent);

    const afx::MessageMap* GetMessageMap() const override;

protected:
    CDisasmDlg(bench::KernelFunction kernel, const CString& title, int count);
    ~CDisasmDlg() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void PostNcDestroy() override;
    /// Samples the kernel for about half a second and shows the shares.
    void OnBnClickedSample();

private:
    /// The listing, with each instruction's share as a bar where sampled.
    void ShowListing(const disasm::HotShares* shares);
    /// Replaces the notice above the listing.
    void SetNotice(const CString& text);

    bench::KernelFunction m_kernel;
    CString m_title;
    int m_count;
    disasm::Listing m_listing;
    CFont m_fontListing;
    CEdit m_editListing;
};
