#include "VelquorDlg.h"

#include "AboutDlg.h"
#include "CountCheck.h"
#include "IconPosition.h"
#include "SweepDlg.h"

CVelquorDlg::CVelquorDlg(CWnd* parent)
    : CDialogEx(res::IDD_VELQUOR_DIALOG, parent), m_hIcon(AfxLoadIcon(res::IDR_MAINFRAME)) {}

// The icon is a resource icon: it lives as long as the process.
CVelquorDlg::~CVelquorDlg() = default;

const afx::MessageMap* CVelquorDlg::GetMessageMap() const {
    using namespace afx;
    static constexpr MessageMapEntry entries[] = {
        OnMessage<&CVelquorDlg::OnSysCommand>(WM_SYSCOMMAND),
        OnMessage<&CVelquorDlg::OnPaint>(WM_PAINT),
        OnMessage<&CVelquorDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
        OnMessage<&CVelquorDlg::OnContextMenu>(WM_CONTEXTMENU),
        OnMessage<&CVelquorDlg::OnSweepMeasuring>(WM_SWEEP_MEASURING),
        OnBnClicked<&CVelquorDlg::OnBnClickedOk>(IDOK),
        OnBnClicked<&CVelquorDlg::OnBnClickedCancel>(IDCANCEL),
        OnBnClicked<&CVelquorDlg::OnBnClickedNewArray>(1000),
        OnBnClicked<&CVelquorDlg::OnBnClickedVectorPushBack>(1002),
        OnBnClicked<&CVelquorDlg::OnBnClickedVectorPushBackNoReserve>(1006),
        OnBnClicked<&CVelquorDlg::OnBnClickedVectorAt>(1004),
        OnBnClicked<&CVelquorDlg::OnBnClickedVectorIndex>(1008),
        OnBnClicked<&CVelquorDlg::OnBnClickedCStringNewArrayPointer>(1010),
        OnBnClicked<&CVelquorDlg::OnBnClickedStdArray>(1012),
        OnBnClicked<&CVelquorDlg::OnBnClickedStdArrayInit>(1014),
        OnBnClicked<&CVelquorDlg::OnBnClickedMallocArray>(1018),
        OnBnClicked<&CVelquorDlg::OnBnClickedCStringNewArray>(1016),
        OnBnClicked<&CVelquorDlg::OnBnClickedNewArrayPointer>(1020),
        OnBnClicked<&CVelquorDlg::OnBnClickedIntFixedArray>(1022),
        OnBnClicked<&CVelquorDlg::OnBnClickedCStringFixedArray>(1024),
        OnBnClicked<&CVelquorDlg::OnBnClickedVersion>(1026),
        OnEnChange<&CVelquorDlg::OnEnChangeCount>(1033),
        OnBnClicked<&CVelquorDlg::OnBnClickedCharNewArrayPointer>(1030),
        OnBnClicked<&CVelquorDlg::OnBnClickedCharNewArray>(1032),
        OnBnClicked<&CVelquorDlg::OnBnClickedStdStringNewArray>(1035),
        OnBnClicked<&CVelquorDlg::OnBnClickedGlobalPointerInit>(1055),
        OnBnClicked<&CVelquorDlg::OnBnClickedGlobalPointer>(1053),
        OnBnClicked<&CVelquorDlg::OnBnClickedGlobalStaticArrayInit>(1043),
        OnBnClicked<&CVelquorDlg::OnBnClickedGlobalStaticArray>(1041),
        OnBnClicked<&CVelquorDlg::OnBnClickedGlobalStdArrayInit>(1039),
        OnBnClicked<&CVelquorDlg::OnBnClickedGlobalStdArray>(1037),
    };
    static const MessageMap map{CDialogEx::GetMessageMap(), entries};
    return &map;
}

void CVelquorDlg::DoDataExchange(CDataExchange* dx) {
    CDialogEx::DoDataExchange(dx);
    DDX_Control(dx, 1001, m_editResult1001);
    DDX_Control(dx, 1003, m_editResult1003);
    DDX_Control(dx, 1005, m_editResult1005);
    DDX_Control(dx, 1007, m_editResult1007);
    DDX_Control(dx, 1009, m_editResult1009);
    DDX_Control(dx, 1011, m_editResult1011);
    DDX_Control(dx, 1013, m_editResult1013);
    DDX_Control(dx, 1015, m_editResult1015);
    DDX_Control(dx, 1019, m_editResult1019);
    DDX_Control(dx, 1017, m_editResult1017);
    DDX_Control(dx, 1021, m_editResult1021);
    DDX_Control(dx, 1023, m_editResult1023);
    DDX_Control(dx, 1025, m_editResult1025);
    DDX_Control(dx, 1033, m_editCount);
    DDX_Control(dx, 1031, m_editResult1031);
    DDX_Control(dx, 1034, m_editResult1034);
    DDX_Control(dx, 1036, m_editResult1036);
    DDX_Control(dx, 1038, m_editResult1038);
    DDX_Control(dx, 1040, m_editResult1040);
    DDX_Control(dx, 1042, m_editResult1042);
    DDX_Control(dx, 1044, m_editResult1044);
    DDX_Control(dx, 1054, m_editResult1054);
    DDX_Control(dx, 1056, m_editResult1056);
}

BOOL CVelquorDlg::OnInitDialog() {
    CDialogEx::OnInitDialog();

    // The About entry goes at the end of the system menu.
    CMenu* sysMenu = CMenu::FromHandle(GetSystemMenu(FALSE));
    if (sysMenu != nullptr) {
        CString aboutMenu;
        aboutMenu.LoadString(res::IDS_ABOUTBOX);
        if (!aboutMenu.IsEmpty()) {
            sysMenu->AppendMenuW(MF_SEPARATOR);
            sysMenu->AppendMenuW(MF_STRING, res::IDM_ABOUTBOX, aboutMenu);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_editCount.SetWindowTextW(dialog::kCountLimitText);

    return TRUE;  // the first tab stop ("終了") takes the focus
}

void CVelquorDlg::OnSysCommand(UINT nID, LPARAM /*lParam*/) {
    if ((nID & 0xFFF0) == res::IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
}

void CVelquorDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        const dialog::IconOrigin at = dialog::IconPosition(rect, cxIcon, cyIcon);
        DrawIcon(dc.GetSafeHdc(), at.x, at.y, m_hIcon);
    } else {
        CDialogEx::OnPaint();
    }
}

HCURSOR CVelquorDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CVelquorDlg::OnBnClickedOk() {
    CDialogEx::OnOK();
}

void CVelquorDlg::OnBnClickedCancel() {
    CDialogEx::OnCancel();
}

void CVelquorDlg::OnBnClickedVersion() {
    CDialog dlgVersion(res::IDD_VERSION);
    dlgVersion.DoModal();
}

void CVelquorDlg::OnEnChangeCount() {
    CString text;
    m_editCount.GetWindowTextW(text);
    if (!dialog::CountExceedsLimit(text)) return;
    // The field is rewritten before the box opens.
    m_editCount.SetWindowTextW(dialog::kCountLimitText);
    AfxMessageBox(dialog::kCountLimitWarning, MB_ICONHAND, 0);
}
