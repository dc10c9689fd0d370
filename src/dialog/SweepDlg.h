// The box that measures one benchmark button's fill over a series of array
// sizes, from the first cache level to main memory, and draws the curve with
// the table of the cache levels under it. It is modeless and closes with the
// main window. The sweep runs a step at a time on the window's own thread:
// the box posts itself a message after each step, so that clicks, keys and
// painting are handled between steps and "中止" can stop it. While it
// measures, no other kernel runs: the owner greys its benchmark buttons, and
// every other way to a kernel asks RefuseWhileMeasuring first.
#pragma once

#include "bench/Caches.h"
#include "bench/Sweep.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/LineChartCtrl.h"

#include <memory>
#include <vector>

/// Sent to a sweep box's owner when the box starts measuring (wParam TRUE)
/// and when it stops, by whichever way (FALSE).
inline constexpr UINT WM_SWEEP_MEASURING = WM_APP + 1;

class CSweepDlg : public CDialogEx {
public:
    /// Opens the box that sweeps the request's one button, owned by parent;
    /// the sweep starts once the box is on the screen. The box deletes
    /// itself when its window goes.
    static void Open(const bench::SweepRequest& request, CWnd* parent);
    /// True while a box measures.
    static bool Measuring();
    /// While a box measures, tells the user that nothing else can be measured
    /// meanwhile and returns true; otherwise returns false.
    static bool RefuseWhileMeasuring();

    const afx::MessageMap* GetMessageMap() const override;

protected:
    CSweepDlg(const bench::SweepRequest& request, CWnd* owner);
    ~CSweepDlg() override;

    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void PostNcDestroy() override;
    /// Runs the sweep's next step, shows what it has so far and posts the
    /// next step, until the sweep is done.
    void OnSweepStep(UINT, LPARAM);
    /// Stops the sweep, keeping what it measured.
    void OnBnClickedStop();

private:
    enum class Ending { Done, Cancelled, OutOfMemory, Failed };

    /// Ends the measuring: the runner and its buffers go, the owner is told.
    /// What was measured stays in m_run.
    void StopMeasuring();
    /// Sends WM_SWEEP_MEASURING to the owner while it has a window.
    void TellOwner(BOOL measuring);
    /// Stops and says how the sweep ended.
    void Finish(Ending ending);
    /// The chart and the table of what has been measured.
    void ShowRun();
    /// The run so far, and how far the sweep has come.
    void ShowProgress();
    void SetNotice(const CString& text);
    /// "123 / 456 回": clicks run of clicks planned.
    CString ClicksText() const;

    bench::SweepRequest m_request;
    const bench::ButtonSpec& m_button;
    CWnd* m_owner;
    std::vector<bench::CacheInfo> m_caches;
    /// While measuring; nullptr before and after.
    std::unique_ptr<bench::SweepRunner> m_runner;
    /// What was measured, once the measuring stopped.
    bench::SweepRun m_run;
    std::size_t m_clicksPlanned = 0;
    /// Said under the table: sizes the plan or the runner left out.
    CString m_notes;
    CFont m_fontTable;
    CLineChartCtrl m_chart;
    CEdit m_editTable;
};
