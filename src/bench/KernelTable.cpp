// The kernels of this compilation of the kernel files, in the order of the
// button table. The same source is compiled into every build variant, so
// every variant lists its kernels in one order, and the default build's list
// is the button table's kernel column (VariantTest holds them together).
#include "GlobalData.h"
#include "Kernels.h"
#include "Variants.h"

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

}  // namespace

extern const KernelBuild kKernelBuild;
const KernelBuild kKernelBuild{VELQUOR_VARIANT_FLAGS, kKernels};

}  // namespace VELQUOR_KERNEL_NAMESPACE
