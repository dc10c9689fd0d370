#include "VariantsDlg.h"

#include "KernelBox.h"
#include "SweepDlg.h"
#include "VariantTable.h"
#include "bench/Protocol.h"
#include "bench/VariantComparison.h"
#include "res/Resource.h"

#include <cstdio>
#include <string>
#include <variant>

void CVariantsDlg::Open(const bench::ButtonSpec& button, int count, CWnd* parent) {
    auto* box = new CVariantsDlg(button, count);
    if (!box->Create(res::IDD_VARIANTS, parent)) delete box;
}

CVariantsDlg::CVariantsDlg(const bench::ButtonSpec& button, int count)
    : CDialogEx(res::IDD_VARIANTS), m_button(button), m_count(count) {}

CVariantsDlg::~CVariantsDlg() = default;

const afx::MessageMap* CVariantsDlg::GetMessageMap() const {
    using namespace afx;
    static constexpr MessageMapEntry entries[] = {
        OnBnClicked<&CVariantsDlg::OnBnClickedRerun>(res::IDC_VARIANTS_RERUN),
    };
    static const MessageMap map{CDialogEx::GetMessageMap(), entries};
    return &map;
}

void CVariantsDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, res::IDC_VARIANTS_TABLE, m_editTable);
}

BOOL CVariantsDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    dialog::SetUpKernelBox(*this, CString(std::string(m_button.name).c_str()), m_fontTable, m_editTable);
    // The first run starts once the box is on the screen, as if its button were pressed.
    PostMessage(WM_COMMAND, MAKEWPARAM(res::IDC_VARIANTS_RERUN, BN_CLICKED));
    return TRUE;
}

void CVariantsDlg::OnOK() {
    DestroyWindow();
}

void CVariantsDlg::OnCancel() {
    DestroyWindow();
}

void CVariantsDlg::PostNcDestroy() {
    delete this;
}

void CVariantsDlg::OnBnClickedRerun() {
    if (CSweepDlg::RefuseWhileMeasuring()) return;
    SetNotice(L"測定中です。しばらくお待ちください…");
    UpdateWindow();
    // The window is busy while the kernels run, as it is during a click.
    const bench::VariantComparison comparison = bench::CompareVariants(m_button, m_count);
    for (const bench::VariantRun& run : comparison.runs) {
        if (run.error) {
            std::fprintf(stderr, "velquor: button %d, variant %.*s: %s\n", m_button.buttonId,
                         static_cast<int>(run.variant->name.size()), run.variant->name.data(), run.error->message.c_str());
        }
    }
    m_editTable.SetWindowTextW(dialog::VariantTableText(comparison));
    CString elements;
    if (m_button.readsCount) {
        elements.Format(L"処理回数 %d", m_count);
    } else {
        elements.Format(L"固定の %d 要素", bench::kFixedArrayLength);
    }
    const CString standard(std::string(bench::DefaultVariant().name).c_str());
    CString notice;
    notice.Format(L"%ls、ビルドを交互に %d 回ずつ実行した時間の中央値です（各ビルドの最初の 1 回は数えません）。"
                  L"%ls比は同じラウンドの %ls との比の中央値、括弧内は 95%% 信頼区間で、1 をまたげば差なしです。"
                  L"上限比は、このPCで同じバイト数を memset で書き込む速さに対する割合です。",
                  elements.GetString(), bench::kComparisonClicks, standard.GetString(), standard.GetString());
    for (const bench::VariantRun& run : comparison.runs) {
        const auto ratio = comparison.RatioToDefault(run);
        if (const auto* none = std::get_if<bench::NoRatio>(&ratio); none && *none == bench::NoRatio::BelowClockResolution) {
            notice += L"1µs に満たない時間は時計で測りきれないため、比を示しません。";
            break;
        }
    }
    SetNotice(notice);
}

void CVariantsDlg::SetNotice(const CString& text) {
    if (CWnd* notice = GetDlgItem(res::IDC_VARIANTS_NOTICE)) notice->SetWindowTextW(text);
}
