#include "GlobalData.h"

// Zero-initialised: the arrays lie in .bss, so the program file stores no
// contents for them and their pages are only mapped when a button fills them.
//
// Each starts on a cache line, so that which lines a fill of count elements
// touches does not depend on where the linker happened to place the array.
alignas(64) std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArray;
alignas(64) std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArrayInit;
alignas(64) unsigned long long g_staticArray[bench::kGlobalArrayLength];
alignas(64) unsigned long long g_staticArrayInit[bench::kGlobalArrayLength];

// Constant initialisation: the addresses are fixed before any code runs.
constinit unsigned long long* g_pStaticArray = g_staticArray;
constinit unsigned long long* g_pStaticArrayInit = g_staticArrayInit;

// An empty vector is constant-initialised as well; only its destructor is
// registered to run at exit.
constinit std::vector<CString> g_sinkStrings;
