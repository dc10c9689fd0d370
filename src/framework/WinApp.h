// The application object and the framework services its start-up prepares.
#pragma once

#include "AfxString.h"
#include "MessageMap.h"
#include "Wnd.h"

#include <functional>

inline constexpr DWORD AFX_RESTART_MANAGER_SUPPORT_RESTART = 0x01;
inline constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    /// A null name lets the application derive its name itself.
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    /// Names the per-user settings key. Nothing is ever stored under it.
    void SetRegistryKey(LPCWSTR key);
    const CString& RegistryKey() const { return m_registryKey; }
    const CString& AppName() const { return m_appName; }

    void OnHelp();
    const afx::MessageMap* GetMessageMap() const override;

    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

private:
    CString m_appName;
    CString m_registryKey;
};

/// The one application object, or nullptr before it is constructed.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

/// Shell integration; the desktop needs nothing from it here, it only exists
/// for the lifetime the application gives it.
class CShellManager {};

struct CRuntimeClass {
    const char* className;
};
#define RUNTIME_CLASS(name) (&name::classRuntime)

class CMFCVisualManager {
public:
    virtual ~CMFCVisualManager() = default;
    /// Makes the given visual manager the one that draws the framework's controls.
    static void SetDefaultManager(const CRuntimeClass* managerClass);
};
class CMFCVisualManagerWindows : public CMFCVisualManager {
public:
    static const CRuntimeClass classRuntime;
};

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
inline constexpr DWORD ICC_WIN95_CLASSES = 0xFF;
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

/// Shows a modal message box through the current presenter. The caption is
/// the application's title.
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);

namespace afx {

/// Shows message boxes. The layer's own presenter opens a real modal box;
/// tests and the batch mode install one that records instead of blocking.
class MessageBoxPresenter {
public:
    virtual ~MessageBoxPresenter() = default;
    virtual int Show(const CString& text, const CString& caption, UINT type) = 0;
};
/// Installs a presenter (nullptr restores the real one); returns the previous one.
MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter);

/// Runs the program: builds the Qt application, then the application object's
/// InitInstance, and returns the process's exit code.
int WinMain(int argc, char** argv);

}  // namespace afx
