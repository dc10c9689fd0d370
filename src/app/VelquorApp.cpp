#include "VelquorApp.h"

#include "dialog/VelquorDlg.h"

CVelquorApp theApp;

CVelquorApp::CVelquorApp() : CWinApp(nullptr) {
    m_dwRestartManagerSupportFlags = AFX_RESTART_MANAGER_SUPPORT_RESTART;
}

const afx::MessageMap* CVelquorApp::GetMessageMap() const {
    static constexpr afx::MessageMapEntry entries[] = {
        afx::OnCommand<&CWinApp::OnHelp>(ID_HELP, BN_CLICKED),
    };
    static const afx::MessageMap map{CWinApp::GetMessageMap(), entries};
    return &map;
}

BOOL CVelquorApp::InitInstance() {
    INITCOMMONCONTROLSEX initCtrls;
    initCtrls.dwSize = sizeof(initCtrls);
    initCtrls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&initCtrls);

    CWinApp::InitInstance();

    CShellManager* shellManager = new CShellManager;

    CMFCVisualManager::SetDefaultManager(RUNTIME_CLASS(CMFCVisualManagerWindows));

    SetRegistryKey(L"アプリケーション ウィザードで生成されたローカル アプリケーション");

    CVelquorDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();

    delete shellManager;
    m_pMainWnd = nullptr;

    // No message loop of our own: returning FALSE ends the program.
    return FALSE;
}
