#include "DisasmDlg.h"

#include "KernelBox.h"
#include "SweepDlg.h"
#include "disasm/KernelProfile.h"
#include "disasm/Loops.h"
#include "disasm/TextReport.h"
#include "res/Resource.h"

#include <sstream>

namespace {

/// Columns of a share's bar at 100%.
constexpr int kBarColumns = 20;

}  // namespace

void CDisasmDlg::Open(bench::KernelFunction kernel, const CString& title, int count, CWnd* parent) {
    auto* box = new CDisasmDlg(kernel, title, count);
    if (!box->Create(res::IDD_DISASM, parent)) delete box;
}

CDisasmDlg::CDisasmDlg(bench::KernelFunction kernel, const CString& title, int count)
    : CDialogEx(res::IDD_DISASM), m_kernel(kernel), m_title(title), m_count(count) {}

CDisasmDlg::~CDisasmDlg() = default;

const afx::MessageMap* CDisasmDlg::GetMessageMap() const {
    using namespace afx;
    static constexpr MessageMapEntry entries[] = {
        OnBnClicked<&CDisasmDlg::OnBnClickedSample>(res::IDC_DISASM_SAMPLE),
    };
    static const MessageMap map{CDialogEx::GetMessageMap(), entries};
    return &map;
}

void CDisasmDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, res::IDC_DISASM_LISTING, m_editListing);
}

BOOL CDisasmDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    // Columns of offsets, mnemonics and bars line up only in a fixed-width font.
    dialog::SetUpKernelBox(*this, m_title, m_fontListing, m_editListing);

    m_listing = disasm::ListTimedSection(reinterpret_cast<const void*>(m_kernel));
    ShowListing(nullptr);
    if (!m_listing.error.empty()) {
        // Samples without instructions to set them against would explain nothing.
        SetNotice(L"このカーネルの機械語は表示できません。理由はリストの先頭にあります。");
        GetDlgItem(res::IDC_DISASM_SAMPLE)->EnableWindow(FALSE);
    } else {
        CString notice;
        notice.Format(L"「時間の内訳を測る」を押すと、このカーネルを約%.1f秒くり返し実行して（処理回数 %d）、"
                      L"命令ごとのサンプルの割合を棒で示します。",
                      static_cast<double>(disasm::kHotDuration.count()) / 1000.0, m_count);
        SetNotice(notice);
    }
    return TRUE;
}

void CDisasmDlg::OnOK() {
    DestroyWindow();
}

void CDisasmDlg::OnCancel() {
    DestroyWindow();
}

void CDisasmDlg::PostNcDestroy() {
    delete this;
}

void CDisasmDlg::OnBnClickedSample() {
    if (CSweepDlg::RefuseWhileMeasuring()) return;
    // The window is busy while the kernel runs, as it is during a click.
    const disasm::HotShares shares = disasm::ProfileKernel(m_listing, m_kernel, m_count);
    CString notice;
    if (!shares.refusal.empty()) {
        notice = L"時間の内訳は測れませんでした: ";
        notice += CString(shares.refusal.c_str());
    } else {
        notice.Format(L"%llu サンプル（取りこぼし %llu）、処理回数 %d で %d 回実行（準備と解放を含む）。",
                      static_cast<unsigned long long>(shares.totalSamples),
                      static_cast<unsigned long long>(shares.lostSamples), m_count, shares.runs);
        if (m_listing.mainLoop) {
            CString loop;
            loop.Format(L"計測ループ内 %.1f%%。",
                        shares.Percent(disasm::LoopSamples(shares, m_listing.loops[*m_listing.mainLoop])));
            notice += loop;
        }
    }
    SetNotice(notice);
    ShowListing(&shares);
}

void CDisasmDlg::ShowListing(const disasm::HotShares* shares) {
    std::ostringstream text;
    // The box speaks Japanese, as the window does; the command line keeps English.
    disasm::WriteListingText(text, m_listing, shares, kBarColumns, disasm::JapaneseWords());
    m_editListing.SetWindowTextW(CString(text.str().c_str()));
}

void CDisasmDlg::SetNotice(const CString& text) {
    if (CWnd* notice = GetDlgItem(res::IDC_DISASM_NOTICE)) notice->SetWindowTextW(text);
}
