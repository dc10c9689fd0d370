#include "SweepDlg.h"

#include "KernelBox.h"
#include "SweepChart.h"
#include "SweepTable.h"
#include "framework/WinApp.h"
#include "res/Resource.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>
#include <variant>

namespace {

/// Posted by a box to itself: run the next step.
constexpr UINT WM_SWEEP_STEP = WM_APP + 2;

/// The box that measures now; nullptr when none does.
const CSweepDlg* g_measuring = nullptr;

}  // namespace

void CSweepDlg::Open(const bench::SweepRequest& request, CWnd* parent) {
    if (RefuseWhileMeasuring() || request.buttons.size() != 1) return;
    auto* box = new CSweepDlg(request, parent);
    if (!box->Create(res::IDD_SWEEP, parent)) delete box;
}

bool CSweepDlg::Measuring() {
    return g_measuring != nullptr;
}

bool CSweepDlg::RefuseWhileMeasuring() {
    if (!Measuring()) return false;
    AfxMessageBox(L"要素数を変えて測っている最中です。測り終えるか「中止」を押すまで、ほかの計測はできません。",
                  MB_ICONEXCLAMATION);
    return true;
}

CSweepDlg::CSweepDlg(const bench::SweepRequest& request, CWnd* owner)
    : CDialogEx(res::IDD_SWEEP), m_request(request), m_button(*request.buttons.front()), m_owner(owner) {}

CSweepDlg::~CSweepDlg() {
    StopMeasuring();
}

const afx::MessageMap* CSweepDlg::GetMessageMap() const {
    using namespace afx;
    static constexpr MessageMapEntry entries[] = {
        OnMessage<&CSweepDlg::OnSweepStep>(WM_SWEEP_STEP),
        OnBnClicked<&CSweepDlg::OnBnClickedStop>(res::IDC_SWEEP_STOP),
    };
    static const MessageMap map{CDialogEx::GetMessageMap(), entries};
    return &map;
}

void CSweepDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, res::IDC_SWEEP_CHART, m_chart);
    DDX_Control(dx, res::IDC_SWEEP_TABLE, m_editTable);
}

BOOL CSweepDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();
    dialog::SetUpKernelBox(*this, CString(std::string(m_button.name).c_str()), m_fontTable, m_editTable);

    m_caches = bench::MachineCaches().caches;
    auto planned = bench::PlanSweep(m_request, m_caches, bench::AvailableMemoryBytes());
    if (const auto* why = std::get_if<std::string>(&planned)) {
        std::fprintf(stderr, "velquor: sweep of %d: %s\n", m_button.buttonId, why->c_str());
        SetNotice(L"この条件では測れません: " + CString(why->c_str()));
        GetDlgItem(res::IDC_SWEEP_STOP)->EnableWindow(FALSE);
        return TRUE;
    }
    m_runner = std::make_unique<bench::SweepRunner>(std::move(std::get<bench::SweepPlan>(planned)));
    m_notes = dialog::SweepLeftOutText(m_runner->Run(), m_button, m_caches, !m_request.sizes);
    g_measuring = this;
    TellOwner(TRUE);
    ShowProgress();
    // The first step runs once the box is on the screen.
    PostMessage(WM_SWEEP_STEP);
    return TRUE;
}

void CSweepDlg::OnOK() {
    StopMeasuring();
    DestroyWindow();
}

void CSweepDlg::OnCancel() {
    StopMeasuring();
    DestroyWindow();
}

void CSweepDlg::PostNcDestroy() {
    delete this;
}

void CSweepDlg::OnSweepStep(UINT, LPARAM) {
    // A step posted before the sweep stopped finds nothing to run.
    if (!m_runner) return;
    Ending ending = Ending::Done;
    try {
        if (m_runner->Step()) {
            ShowProgress();
            PostMessage(WM_SWEEP_STEP);
            return;
        }
    } catch (const std::bad_alloc&) {
        ending = Ending::OutOfMemory;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velquor: sweep of %d: %s\n", m_button.buttonId, e.what());
        ending = Ending::Failed;
    }
    Finish(ending);
}

void CSweepDlg::OnBnClickedStop() {
    if (m_runner) Finish(Ending::Cancelled);
}

void CSweepDlg::StopMeasuring() {
    if (!m_runner) return;
    const std::unique_ptr<bench::SweepRunner> runner = std::move(m_runner);
    if (g_measuring == this) g_measuring = nullptr;
    TellOwner(FALSE);
    m_clicksPlanned = runner->ClicksDone() + runner->ClicksLeft();
    m_run = runner->Run();
    for (const bench::SweepStop& stop : m_run.stops) {
        if (stop.reason == bench::SweepStop::Reason::Failed) {
            std::fprintf(stderr, "velquor: sweep of %d stopped at %d elements: %s\n", m_button.buttonId, stop.count,
                         stop.error.c_str());
        }
    }
}

void CSweepDlg::Finish(Ending ending) {
    StopMeasuring();
    static constexpr const wchar_t* kNotices[] = {
        L"測り終えました（%ls）。中央値は、同じサイズの回に続けて実行した回だけから求めています。"
        L"上限比は、同じバイト数を memset で書き込む速さに対する割合です。",
        L"中止しました（%ls）。表とグラフはそれまでに測った分です。",
        L"メモリが不足したため中止しました（%ls）。表とグラフはそれまでに測った分です。",
        L"エラーが発生したため中止しました（%ls。詳しい内容は標準エラー出力）。表とグラフはそれまでに測った分です。",
    };
    CString notice;
    notice.Format(kNotices[static_cast<int>(ending)], ClicksText().GetString());
    GetDlgItem(res::IDC_SWEEP_STOP)->EnableWindow(FALSE);
    ShowRun();
    SetNotice(notice);
}

void CSweepDlg::TellOwner(BOOL measuring) {
    // An owner whose window is going has nothing left to grey or enable.
    if (m_owner != nullptr && m_owner->Widget() != nullptr) m_owner->SendMessage(WM_SWEEP_MEASURING, measuring);
}

void CSweepDlg::ShowRun() {
    const bench::SweepRun& run = m_runner ? m_runner->Run() : m_run;
    CString machine;
    machine.Format(L"このPC、乱数の種 %u", run.plan.seed);
    afx::LineChart chart = dialog::MakeSweepChart(run, m_caches, machine.GetString());
    if (m_runner) chart.emptyNote = L"各サイズの 1 回目を小さい順に測っています。中央値の出たサイズから線を描きます";
    m_chart.SetChart(std::move(chart));
    // Rewritten only when it changed, so that a table being read keeps its place.
    const CString table = dialog::SweepTableText(run, m_button, m_caches) + m_notes;
    CString shown;
    m_editTable.GetWindowTextW(shown);
    if (shown != table) m_editTable.SetWindowTextW(table);
}

void CSweepDlg::ShowProgress() {
    ShowRun();
    SetNotice(L"測定中です（" + ClicksText() +
              L"）。各サイズの 1 回目を小さい順に測ってから、全サイズを毎回順序を変えたラウンドで測ります。"
              L"「中止」で止めても、それまでの結果は残ります。");
}

void CSweepDlg::SetNotice(const CString& text) {
    if (CWnd* notice = GetDlgItem(res::IDC_SWEEP_NOTICE)) notice->SetWindowTextW(text);
}

CString CSweepDlg::ClicksText() const {
    const std::size_t done = m_runner ? m_runner->ClicksDone() : m_run.clicks.size();
    const std::size_t planned = m_runner ? done + m_runner->ClicksLeft() : m_clicksPlanned;
    CString text;
    text.Format(L"%zu / %zu 回", done, planned);
    return text;
}
