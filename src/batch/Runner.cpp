#include "Runner.h"

#include "Buttons.h"
#include "dialog/VelquorDlg.h"
#include "framework/Driver.h"

#include <sys/resource.h>

namespace batch {
namespace {

constexpr int kCountField = 1033;

class Collector final : public bench::RunObserver {
public:
    void OnRun(const bench::RunRecord& record) override { last = record; }
    std::optional<bench::RunRecord> last;
};

long MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

std::wstring BoxText(const afx::ShownMessageBox& box) {
    std::wstring text = box.text.GetString();
    for (std::size_t at; (at = text.find(L"\r\n")) != std::wstring::npos;) text.replace(at, 2, L" ");
    return text;
}

}  // namespace

BatchRun RunButtons(const Options& options, const Progress& progress) {
    BatchRun run;
    CVelquorDlg dlg;
    afx::DialogDriver drv(dlg);
    Collector collector;
    dlg.SetRunObserver(&collector);

    if (options.countText) {
        // Pasted over the field's contents, as a user would: a paste passes
        // the digits-only filter, then the count check applies.
        drv.Press(afx::Key::SelectAll, kCountField);
        drv.Paste(kCountField, *options.countText);
        for (const afx::ShownMessageBox& box : drv.Boxes().Take()) run.warnings.push_back(BoxText(box));
    }
    run.countText = drv.Text(kCountField).GetString();

    for (std::size_t index = 0; index < options.buttons.size(); ++index) {
        const int id = options.buttons[index];
        const ButtonInfo* button = FindButton(id);
        for (int r = 0; r < options.repetitions; ++r) {
            if (progress) progress(index, id, r);
            collector.last.reset();
            Click click;
            click.buttonId = id;
            click.repetition = r;
            const long faultsBefore = MinorFaults();
            // Hidden buttons cannot be clicked; their commands still run them.
            if (button && button->hidden) drv.Command(id);
            else drv.Click(id);
            click.pageFaults = MinorFaults() - faultsBefore;
            click.record = std::move(collector.last);
            for (const afx::ShownMessageBox& box : drv.Boxes().Take()) {
                click.error += (click.error.empty() ? L"" : L" ") + BoxText(box);
            }
            if (!click.record && click.error.empty()) click.error = L"the button published no result";
            if (click.record && !click.error.empty()) click.record.reset();
            run.clicks.push_back(std::move(click));
        }
    }
    dlg.SetRunObserver(nullptr);
    return run;
}

}  // namespace batch
