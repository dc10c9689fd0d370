// What a benchmark button's click hands to whoever observes the window.
#pragma once

#include "bench/Measurement.h"
#include "framework/AfxString.h"

namespace dialog {

/// One completed click of a benchmark button, as the window saw it.
struct RunRecord {
    /// Control id of the button that ran.
    int buttonId = 0;
    /// What its kernel measured.
    bench::Measurement measurement;
    /// The text written into its result field ("123.456000ms").
    CString resultText;
};

/// Receives a record after every completed run, once its result field is set.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void OnRun(const RunRecord& record) = 0;
};

}  // namespace dialog
