// The 22 benchmark buttons: which kernel each runs, which result field shows
// it, and the name reports give it. Everything that needs to know the buttons
// (the window's handlers, the batch mode, the report writers, the tests and
// the tools) reads this one table.
#pragma once

#include "GlobalData.h"
#include "Kernels.h"

#include <array>
#include <string_view>

namespace bench {

/// The groups of buttons, as the window arranges them.
enum class Family {
    DynamicArrays,  ///< int and CString arrays on the heap, sized by the count
    Vectors,        ///< std::vector<int>
    StringArrays,   ///< arrays of CString and std::string
    FixedArrays,    ///< local arrays of 100000 int on the stack
    GlobalArrays,   ///< the four global arrays of 4,000,000 elements
};

/// One benchmark button.
struct ButtonSpec {
    /// Control id of the button.
    int buttonId;
    /// Control id of the read-only field that shows its result.
    int resultFieldId;
    /// What a click runs.
    KernelFunction kernel;
    /// False for the fixed 100000-element arrays, which ignore the count field.
    bool readsCount;
    /// Created hidden and disabled (1053, 1055): no user can press it.
    bool hidden;
    Family family;
    /// The name reports give the button: its id, its caption and, where two
    /// buttons share a caption, the label above it. Reports compare across
    /// versions by this name, so it never changes with the layout.
    std::string_view name;
};

/// All benchmark buttons, in the window's creation order (the batch mode's default order).
inline constexpr std::array<ButtonSpec, 22> kButtons{{
    {1000, 1001, &FillNewIntArray, true, false, Family::DynamicArrays, "1000 int[] new　動的配列"},
    {1002, 1003, &FillVectorPushBack, true, false, Family::Vectors, "1002 vector<int>配列 push_back"},
    {1004, 1005, &FillVectorAt, true, false, Family::Vectors, "1004 vector<int>配列 at()"},
    {1006, 1007, &FillVectorPushBackGrowing, true, false, Family::Vectors,
     "1006 vector<int>配列 push_back (メモリー確保無し)"},
    {1008, 1009, &FillVectorIndex, true, false, Family::Vectors, "1008 vector<int>配列 []"},
    {1010, 1011, &FillCStringArrayByPointer, true, false, Family::StringArrays,
     "1010 CString[] new 動的配列 ポインタ"},
    {1012, 1013, &FillLocalStdArray, false, false, Family::FixedArrays, "1012 array配列　静的配列"},
    {1014, 1015, &FillLocalStdArrayInit, false, false, Family::FixedArrays,
     "1014 array配列　静的配列 (初期化した場合)"},
    {1018, 1019, &FillMallocIntArray, true, false, Family::DynamicArrays,
     "1018 int[] malloc　動的配列 (mallocで配列確保した場合)"},
    {1016, 1017, &FillCStringArray, true, false, Family::StringArrays, "1016 CString[] new　動的配列"},
    {1020, 1021, &FillNewIntArrayByPointer, true, false, Family::DynamicArrays,
     "1020 int[] new 動的配列 ポインタ"},
    {1022, 1023, &FillLocalIntArray, false, false, Family::FixedArrays, "1022 int[100000]　静的配列"},
    {1024, 1025, &FillLocalCStringArray, false, false, Family::StringArrays,
     "1024 CString[100000]　静的配列"},
    {1035, 1036, &FillStdStringArray, true, false, Family::StringArrays, "1035 string[] new 動的配列"},
    {1032, 1034, &FillCharStringArray, true, false, Family::DynamicArrays, "1032 char[] new 動的配列"},
    {1030, 1031, &FillCharStringArrayByPointer, true, false, Family::DynamicArrays,
     "1030 char[] new 動的配列 ポインタ"},
    {1037, 1038, &FillGlobalArray<g_stdArray>, true, false, Family::GlobalArrays,
     "1037 array配列　静的配列"},
    {1039, 1040, &FillGlobalArray<g_stdArrayInit>, true, false, Family::GlobalArrays,
     "1039 array配列　静的配列 (初期化した場合)"},
    {1041, 1042, &FillGlobalArray<g_staticArray>, true, false, Family::GlobalArrays,
     "1041 静的配列"},
    {1043, 1044, &FillGlobalArray<g_staticArrayInit>, true, false, Family::GlobalArrays,
     "1043 静的配列 (初期化した場合)"},
    {1053, 1054, &FillGlobalArrayByPointer, true, true, Family::GlobalArrays,
     "1053 ポインタ　静的配列　動かない"},
    {1055, 1056, &MoveGlobalPointer, true, true, Family::GlobalArrays,
     "1055 ポインタ　静的配列　動かない (初期化した場合)"},
}};

// Each button has its own id and result field. (That each has its own kernel
// ButtonTableTest checks: g++ 12 does not compare function addresses in a
// constant expression when built with -fsanitize=undefined.)
static_assert([] {
    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        for (std::size_t j = i + 1; j < kButtons.size(); ++j) {
            const ButtonSpec& a = kButtons[i];
            const ButtonSpec& b = kButtons[j];
            if (a.buttonId == b.buttonId || a.resultFieldId == b.resultFieldId) return false;
        }
    }
    return true;
}());

/// The button with this id, or nullptr.
constexpr const ButtonSpec* FindButton(int buttonId) {
    for (const ButtonSpec& b : kButtons) {
        if (b.buttonId == buttonId) return &b;
    }
    return nullptr;
}

/// The button that runs this kernel, or nullptr.
constexpr const ButtonSpec* FindButton(KernelFunction kernel) {
    for (const ButtonSpec& b : kButtons) {
        if (b.kernel == kernel) return &b;
    }
    return nullptr;
}

/// The name without its id: the caption, with the label above it where it has one.
constexpr std::string_view Title(const ButtonSpec& button) {
    return button.name.substr(button.name.find(' ') + 1);
}

}  // namespace bench
