#include "GlobalData.h"

// Zero-initialised: the arrays lie in .bss, so the program file stores no
// contents for them and their pages are only mapped when a button fills them.
std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArray;
std::array<unsigned long long, bench::kGlobalArrayLength> g_stdArrayInit;
unsigned long long g_staticArray[bench::kGlobalArrayLength];
unsigned long long g_staticArrayInit[bench::kGlobalArrayLength];

// Constant initialisation: the addresses are fixed before any code runs.
constinit unsigned long long* g_pStaticArray = g_staticArray;
constinit unsigned long long* g_pStaticArrayInit = g_staticArrayInit;

// An empty vector is constant-initialised as well; only its destructor is
// registered to run at exit.
constinit std::vector<CString> g_sinkStrings;
