#include "Run.h"

#include "framework/Crt.h"

#include <string>

namespace bench {

int ParseCount(const CString& text, int maxCount) {
    const int count = _wtoi(text);
    // Array new, malloc and reserve would turn a negative count into an
    // enormous size; the others would time a loop that does nothing.
    if (count < 0) {
        throw CountError("count is negative: " + std::to_string(count));
    }
    if (count > maxCount) {
        throw CountError("count is too large: " + std::to_string(count) + " (at most " + std::to_string(maxCount) +
                         ")");
    }
    return count;
}

int ReadCount(const CEdit& countField, CString& text, int maxCount) {
    countField.GetWindowTextW(text);
    return ParseCount(text, maxCount);
}

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

std::optional<CString> SinkText(const std::vector<int>& sink) {
    if (sink.empty()) return std::nullopt;
    CString value;
    value.Format(L"%d", sink.front());
    return value;
}

std::optional<CString> SinkText(const std::vector<CString>& sink) {
    if (sink.empty()) return std::nullopt;
    return sink.front();
}

std::optional<CString> SinkText(const std::vector<std::string>& sink) {
    if (sink.empty()) return std::nullopt;
    return CString(sink.front().c_str());
}

}  // namespace bench
