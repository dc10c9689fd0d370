// The comparison of builds as the window's box shows it: one line per build
// variant, in columns that line up in a fixed-width font.
#pragma once

#include "bench/VariantComparison.h"
#include "framework/AfxString.h"

namespace dialog {

/// What the variant is, in Japanese ("既定 (このプログラムのビルド)").
CString VariantDescription(const bench::Variant& variant);

/// Why a variant has no time: this CPU cannot run it, or its kernel failed;
/// empty when it has one.
CString VariantFailure(const bench::VariantRun& run);

/// A heading, then one line per variant: its name, what it is, the median
/// in the window's result text ("0.010000ms"), the ratio to the default
/// build round by round with its 95 % interval ("0.69× (0.65–0.72)", "差なし"
/// where the interval holds 1; "基準" on the default's own line) and the
/// share of the machine's store limit ("72.4%"), "-" for a figure it lacks; a
/// variant without a time has the reason in their place. Lines end in "\r\n".
CString VariantTableText(const bench::VariantComparison& comparison);

}  // namespace dialog
