// velquor --disasm: the machine code of the kernels' timed sections, and with
// --hot where their time goes, without a window.
#pragma once

#include "Options.h"

#include <ostream>

namespace batch {

/// Writes, per button of options, the listing of its kernel's timed section
/// (text or JSON); with options.hot, each kernel is sampled as it runs first.
/// 0 when every kernel was listed, 1 when one could not be.
int DisasmMain(const DisasmOptions& options, std::ostream& out);

}  // namespace batch
