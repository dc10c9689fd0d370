#include "ResultText.h"

namespace dialog {

long long ElapsedMicroseconds(std::chrono::system_clock::duration elapsed) {
    // duration_cast truncates toward zero, also for a clock set back during the run.
    return std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
}

void FormatResultText(CString& text, std::chrono::system_clock::duration elapsed) {
    // -0.9 us truncates to the integer 0, so the text shows a positive zero.
    const double milliseconds = static_cast<double>(ElapsedMicroseconds(elapsed)) / 1000.0;
    text.Format(L"%.6f", milliseconds);
    text = text + L"ms";
}

}  // namespace dialog
