// The kernels of this compilation of the kernel files, in the order of the
// button table. The same source is compiled into every build variant, so
// every variant lists its kernels in one order.
#include "GlobalData.h"
#include "Kernels.h"
#include "Variants.h"

#ifndef VELQUOR_KERNEL_VARIANT
#include "Buttons.h"
#endif

namespace VELQUOR_KERNEL_NAMESPACE {
namespace {

constexpr KernelTable kKernels{
    &FillNewIntArray,
    &FillVectorPushBack,
    &FillVectorAt,
    &FillVectorPushBackGrowing,
    &FillVectorIndex,
    &FillCStringArrayByPointer,
    &FillLocalStdArray,
    &FillLocalStdArrayInit,
    &FillMallocIntArray,
    &FillCStringArray,
    &FillNewIntArrayByPointer,
    &FillLocalIntArray,
    &FillLocalCStringArray,
    &FillStdStringArray,
    &FillCharStringArray,
    &FillCharStringArrayByPointer,
    &FillGlobalArray<g_stdArray>,
    &FillGlobalArray<g_stdArrayInit>,
    &FillGlobalArray<g_staticArray>,
    &FillGlobalArray<g_staticArrayInit>,
    &FillGlobalArrayByPointer,
    &MoveGlobalPointer,
};

#ifndef VELQUOR_KERNEL_VARIANT
// The default build's kernels are the ones the button table names, so this
// list is in the table's order, and so is every variant's.
static_assert([] {
    for (std::size_t i = 0; i < kKernels.size(); ++i) {
        if (kKernels[i] != kButtons[i].kernel) return false;
    }
    return true;
}());
#endif

}  // namespace

extern const KernelBuild kKernelBuild;
const KernelBuild kKernelBuild{VELQUOR_VARIANT_FLAGS, kKernels};

}  // namespace VELQUOR_KERNEL_NAMESPACE
