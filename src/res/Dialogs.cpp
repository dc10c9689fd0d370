// The dialog templates: every control with its id, class, text, style bits,
// position and size in dialog units, in creation (and tab) order.
#include "Dialogs.h"

namespace res {
namespace {

using afx::ControlClass;
using afx::ControlTemplate;

constexpr ControlClass Button = ControlClass::Button;
constexpr ControlClass Edit = ControlClass::Edit;
constexpr ControlClass Static = ControlClass::Static;
constexpr ControlClass Link = ControlClass::MfcLink;
constexpr ControlClass Chart = ControlClass::LineChart;

// Style sets of the main window.
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kHidden = WS_CHILD | WS_DISABLED;
constexpr DWORD kPushButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kResultField = WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_READONLY | ES_WANTRETURN;
constexpr DWORD kLabelStatic = WS_GROUP | SS_LEFT;

constexpr DWORD kButton = kShown | kPushButton;
constexpr DWORD kDefaultButton = kShown | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD kResult = kShown | kResultField;
// The count field: digits only when typed, keeps Return, not read-only.
constexpr DWORD kCount =
    kShown | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_LOWERCASE | ES_AUTOHSCROLL | ES_WANTRETURN | ES_NUMBER;
constexpr DWORD kLabel = kShown | kLabelStatic;
constexpr DWORD kGrayFrame = kShown | SS_GRAYFRAME;
constexpr DWORD kLink = kShown | WS_TABSTOP;
constexpr DWORD kHiddenButton = kHidden | kPushButton;
constexpr DWORD kHiddenResult = kHidden | kResultField;
constexpr DWORD kHiddenLabel = kHidden | kLabelStatic;

constexpr ControlTemplate kMainControls[] = {
    {1, Button, L"終了", kDefaultButton, 629, 353, 50, 14},
    {1000, Button, L"int[] new　動的配列", kButton, 7, 61, 102, 14},
    {1001, Edit, nullptr, kResult, 110, 61, 56, 14},
    {1002, Button, L"vector<int>配列 push_back", kButton, 7, 89, 102, 14},
    {1003, Edit, nullptr, kResult, 110, 89, 56, 14},
    {1004, Button, L"vector<int>配列 at()", kButton, 7, 105, 102, 14},
    {1005, Edit, nullptr, kResult, 110, 105, 56, 14},
    {1006, Button, L"vector<int>配列 push_back", kButton, 175, 89, 102, 14},
    {1007, Edit, nullptr, kResult, 279, 89, 56, 14},
    {-1, Static, L"メモリー確保無し", kLabel, 175, 81, 74, 8},
    {1008, Button, L"vector<int>配列 []", kButton, 7, 121, 102, 14},
    {1009, Edit, nullptr, kResult, 110, 123, 56, 14},
    {1010, Button, L"CString[] new 動的配列 ポインタ", kButton, 7, 149, 102, 14},
    {1011, Edit, nullptr, kResult, 110, 149, 56, 14},
    {1012, Button, L"array配列　静的配列", kButton, 7, 213, 102, 14},
    {1013, Edit, nullptr, kResult, 110, 213, 56, 14},
    {1014, Button, L"array配列　静的配列", kButton, 175, 213, 102, 14},
    {1015, Edit, nullptr, kResult, 279, 213, 56, 14},
    {-1, Static, L"初期化した場合", kLabel, 175, 203, 75, 8},
    {1018, Button, L"int[] malloc　動的配列", kButton, 175, 61, 102, 14},
    {1019, Edit, nullptr, kResult, 279, 61, 56, 14},
    {-1, Static, L"mallocで配列確保した場合", kLabel, 175, 51, 109, 8},
    {1016, Button, L"CString[] new　動的配列", kButton, 175, 149, 102, 14},
    {1017, Edit, nullptr, kResult, 279, 149, 56, 14},
    {1020, Button, L"int[] new 動的配列 ポインタ", kButton, 7, 165, 102, 14},
    {1021, Edit, nullptr, kResult, 110, 165, 56, 14},
    {1022, Button, L"int[100000]　静的配列", kButton, 7, 243, 102, 14},
    {1023, Edit, nullptr, kResult, 110, 243, 56, 14},
    {1024, Button, L"CString[100000]　静的配列", kButton, 175, 165, 102, 14},
    {1025, Edit, nullptr, kResult, 279, 165, 56, 14},
    {1026, Button, L"バージョン情報", kButton, 629, 7, 50, 14},
    {-1, Static, L"各ボタンは配列を1回だけ埋め、その時間をミリ秒で表示します。", kLabel, 7, 293, 310, 8},
    {1027, Link, L"https://cpprefjp.github.io/", kLink, 7, 303, 200, 14},
    {-1, Static, L"時間は計測ループだけのもので、確保と解放は含みません。", kLabel, 7, 317, 301, 8},
    {-1, Static, L"時計はシステム時計、分解能は1マイクロ秒です。同じボタンを何度か押して、ばらつきも見てください。",
     kLabel, 7, 331, 538, 8},
    {1028, Link, L"https://www.qt.io/", kLink, 7, 341, 152, 14},
    {1029, Link, L"https://github.com/google/benchmark", kLink, 7, 353, 260, 14},
    {1033, Edit, nullptr, kCount, 7, 43, 42, 14},
    {-1, Static, L"処理回数を入力して下さい。　但し、処理回数を変更できるのは、動的配列のみです。", kLabel, 7, 35, 270, 8},
    {1035, Button, L"string[] new 動的配列", kButton, 175, 271, 102, 14},
    {1036, Edit, nullptr, kResult, 279, 271, 56, 14},
    {1034, Edit, nullptr, kResult, 110, 271, 56, 14},
    {1032, Button, L"char[] new 動的配列", kButton, 7, 271, 102, 14},
    {1030, Button, L"char[] new 動的配列 ポインタ", kButton, 7, 181, 102, 14},
    {1031, Edit, nullptr, kResult, 110, 181, 56, 14},
    {-1, Static, nullptr, kGrayFrame, 341, 32, 1, 288},
    {-1, Static, L"グローバル変数の処理速度計測", kLabel, 347, 7, 89, 8},
    {1037, Button, L"array配列　静的配列", kButton, 349, 43, 102, 14},
    {1038, Edit, nullptr, kResult, 453, 43, 56, 14},
    {1039, Button, L"array配列　静的配列", kButton, 517, 43, 102, 14},
    {1040, Edit, nullptr, kResult, 623, 43, 56, 14},
    {-1, Static, L"初期化した場合", kLabel, 517, 34, 75, 8},
    {1041, Button, L"静的配列", kButton, 349, 71, 102, 14},
    {1042, Edit, nullptr, kResult, 453, 71, 56, 14},
    {1043, Button, L"静的配列", kButton, 517, 71, 102, 14},
    {1044, Edit, nullptr, kResult, 623, 71, 56, 14},
    {-1, Static, L"初期化した場合", kLabel, 517, 62, 75, 8},
    {1053, Button, L"ポインタ　静的配列　動かない", kHiddenButton, 349, 99, 102, 14},
    {1054, Edit, nullptr, kHiddenResult, 453, 99, 56, 14},
    {1055, Button, L"ポインタ　静的配列　動かない", kHiddenButton, 517, 99, 102, 14},
    {1056, Edit, nullptr, kHiddenResult, 623, 99, 56, 14},
    {-1, Static, L"初期化した場合", kHiddenLabel, 517, 89, 75, 8},
    {-1, Static, L"ローカル変数の処理速度計測", kLabel, 7, 7, 89, 8},
};
static_assert(std::size(kMainControls) == 63);

constexpr ControlTemplate kAboutControls[] = {
    {-1, Static, L"#128", kShown | SS_ICON, 14, 14, 21, 20},
    {-1, Static, L"Velquor、バージョン 1.0", kLabel | SS_NOPREFIX, 42, 14, 114, 8},
    {-1, Static, L"配列の埋め込み速度を測ります。", kLabel, 42, 26, 114, 8},
    {1, Button, L"OK", kDefaultButton | WS_GROUP, 113, 41, 50, 14},
};

constexpr DWORD kVersionLine = kLabel;
constexpr ControlTemplate kVersionControls[] = {
    {1, Button, L"OK", kDefaultButton, 113, 153, 50, 14},
    {-1, Static, L"Lumorak ver2.0.7", kVersionLine, 96, 7, 104, 8},
    {-1, Static, L"配列の種類ごとの書き込み速度を比べるベンチマーク", kVersionLine, 61, 30, 183, 8},
    {-1, Static, L"初版: バージョン 1.0", kVersionLine, 78, 43, 143, 8},
    {-1, Static, L"Qt 6 Widgets の上で動作します", kVersionLine, 65, 54, 176, 8},
    {-1, Static, L"設定やファイルは", kVersionLine, 74, 69, 82, 8},
    {-1, Static, L"一切保存しません", kVersionLine, 73, 79, 157, 8},
    {-1, Static, L"ネットワーク通信なし", kVersionLine, 101, 89, 98, 8},
    {-1, Static, L"計測はこのPCの中だけ", kVersionLine, 101, 99, 101, 8},
    {-1, Static, L"本ソフトウェアは無保証で提供されます。", kVersionLine, 14, 121, 256, 8},
    {-1, Static, L"結果は環境により大きく変わります。", kVersionLine, 14, 134, 182, 8},
};

// The machine-code box: a two-line notice of what the shares are (wrapped),
// the listing in a read-only box that scrolls both ways, and its buttons.
constexpr DWORD kListing = kShown | WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                           ES_AUTOHSCROLL | ES_READONLY;
constexpr ControlTemplate kDisasmControls[] = {
    {IDC_DISASM_NOTICE, Static, nullptr, kLabel, 7, 7, 526, 16},
    {IDC_DISASM_LISTING, Edit, nullptr, kListing, 7, 27, 526, 250},
    {IDC_DISASM_SAMPLE, Button, L"時間の内訳を測る", kButton, 7, 283, 90, 14},
    {IDCANCEL, Button, L"閉じる", kDefaultButton, 483, 283, 50, 14},
};

// The box of the build variants: what the figures are, one row per variant
// in a fixed-width read-only box, and its buttons.
constexpr DWORD kTable = kShown | WS_BORDER | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                         ES_READONLY;
constexpr ControlTemplate kVariantsControls[] = {
    {IDC_VARIANTS_NOTICE, Static, nullptr, kLabel, 7, 7, 346, 30},
    {IDC_VARIANTS_TABLE, Edit, nullptr, kTable, 7, 41, 346, 60},
    {IDC_VARIANTS_RERUN, Button, L"もう一度測る", kButton, 7, 107, 70, 14},
    {IDCANCEL, Button, L"閉じる", kDefaultButton, 303, 107, 50, 14},
};

// The sweep box: what it is doing (wrapped), the chart, the table of the
// cache levels in a fixed-width read-only box, and its buttons.
constexpr ControlTemplate kSweepControls[] = {
    {IDC_SWEEP_NOTICE, Static, nullptr, kLabel, 7, 7, 606, 20},
    {IDC_SWEEP_CHART, Chart, nullptr, kShown, 7, 31, 606, 318},
    {IDC_SWEEP_TABLE, Edit, nullptr, kTable, 7, 353, 606, 86},
    {IDC_SWEEP_STOP, Button, L"中止", kButton, 7, 445, 50, 14},
    {IDCANCEL, Button, L"閉じる", kDefaultButton, 563, 445, 50, 14},
};

constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
// No minimise or maximise box and no sizing border: the window keeps its size.
constexpr DWORD kMainStyle =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME | DS_SETFONT;

}  // namespace

const afx::DialogTemplate kDialogs[6] = {
    {IDD_VELQUOR_DIALOG, kMainStyle, WS_EX_APPWINDOW, 0, 0, 686, 374, L"Lumorak", L"MS UI Gothic", 9, 0, kMainControls},
    {IDD_ABOUTBOX, kBoxStyle, 0, 0, 0, 170, 62, L"Velquor について", L"MS UI Gothic", 9, 0, kAboutControls},
    {IDD_VERSION, kBoxStyle, 0, 0, 0, 277, 174, L"バージョン情報", L"MS Shell Dlg", 8, 400, kVersionControls},
    {IDD_DISASM, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 0, 0, 0, 540, 304, L"計測ループの機械語", L"MS UI Gothic", 9,
     0, kDisasmControls},
    {IDD_VARIANTS, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 0, 0, 0, 360, 128, L"ビルドの違いを比べる", L"MS UI Gothic",
     9, 0, kVariantsControls},
    {IDD_SWEEP, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT, 0, 0, 0, 620, 466, L"要素数を変えて測る", L"MS UI Gothic", 9, 0,
     kSweepControls},
};

}  // namespace res
