#include "WinApp.h"

#include "DialogUnits.h"
#include "QtApplication.h"
#include "QtText.h"

#include <QApplication>
#include <QMessageBox>

namespace {

CWinApp* g_app = nullptr;

// The real presenter: a modal box with the platform's icons.
class QtMessageBoxPresenter final : public afx::MessageBoxPresenter {
public:
    int Show(const CString& text, const CString& caption, UINT type) override {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (type & MB_ICONMASK) {
        case MB_ICONHAND: icon = QMessageBox::Critical; break;
        case MB_ICONEXCLAMATION: icon = QMessageBox::Warning; break;
        case MB_ICONASTERISK: icon = QMessageBox::Information; break;
        default: break;
        }
        CWnd* owner = AfxGetMainWnd();
        QMessageBox box(icon, afx::ToQString(caption.GetString()), afx::ToQString(text.GetString()), QMessageBox::Ok,
                        owner ? owner->Widget() : nullptr);
        box.setFont(afx::TemplateFont(L"MS UI Gothic", 9, 0));
        box.exec();
        return IDOK;
    }
};

afx::MessageBoxPresenter* g_presenter = nullptr;

afx::MessageBoxPresenter& Presenter() {
    static QtMessageBoxPresenter real;
    return g_presenter ? *g_presenter : real;
}

// The application's title: the string-table title if there is one, else the
// program's name from its version block, else the program file's name.
CString DeriveAppName() {
    if (const wchar_t* title = afx::FindString(0xE000)) return CString(title);
    if (const afx::VersionInfo* version = afx::GetResources().version) {
        for (const afx::VersionString& s : version->strings) {
            if (std::wstring_view(s.key) == L"FileDescription") return CString(s.value);
        }
    }
    return afx::FromQString(QCoreApplication::applicationName());
}

}  // namespace

const CRuntimeClass CMFCVisualManagerWindows::classRuntime{"CMFCVisualManagerWindows"};

CWinApp::CWinApp(LPCWSTR appName) : m_appName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

const afx::MessageMap* CWinApp::GetMessageMap() const {
    static const afx::MessageMap map{CCmdTarget::GetMessageMap(), {}};
    return &map;
}

BOOL CWinApp::InitInstance() {
    if (m_appName.IsEmpty()) m_appName = DeriveAppName();
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::SetRegistryKey(LPCWSTR key) {
    // The key is only named: no setting is ever read or written under it.
    m_registryKey = key;
}

void CWinApp::OnHelp() {
    // The program has no help file; the command does nothing.
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

void CMFCVisualManager::SetDefaultManager(const CRuntimeClass* /*managerClass*/) {
    // Qt draws every control in the platform's own style already.
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    // Qt's widgets need no registration; only the record's shape is checked.
    return init && init->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT /*helpId*/) {
    CString caption = g_app && !g_app->AppName().IsEmpty() ? g_app->AppName() : DeriveAppName();
    return Presenter().Show(CString(text), caption, type);
}

namespace afx {

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
    MessageBoxPresenter* previous = g_presenter;
    g_presenter = presenter;
    return previous;
}

int WinMain(int argc, char** argv) {
    const QtApplication application(argc, argv);
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    // A dialog application has no message loop of its own: InitInstance runs
    // the main window to its end, and what it returns changes nothing here.
    app->InitInstance();
    return app->ExitInstance();
}

}  // namespace afx
