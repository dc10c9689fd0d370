// Dialogs built from templates, run modally or modeless.
#pragma once

#include "Wnd.h"

class CDialog;

/// Data exchange between a dialog and its member controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

/// Attaches a member control object to the dialog's control with that id.
/// Later calls on an attached member change nothing.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

#include <functional>

namespace afx {
class DialogWindow;
/// While set, every modal run calls this once its window is up, inside its
/// loop, instead of waiting for a person; a run the hook leaves open ends
/// with IDCANCEL. Tests and the batch mode use it. Returns the previous hook.
using ModalHook = std::function<void(CDialog&)>;
ModalHook SetModalHook(ModalHook hook);
}

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    /// Builds the window from the template, runs it until it ends, destroys
    /// it, and returns the value given to EndDialog (-1 when it could not be made).
    virtual INT_PTR DoModal();
    /// Builds the window and shows it without a modal loop: a modeless
    /// dialog, which leaves its owner (parent, else the main window) working.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create() { return Create(m_templateId); }
    /// Destroys the window, then calls PostNcDestroy. Asked from within one
    /// of the dialog's own messages, the window is hidden at once and
    /// destroyed once that message is done with.
    void DestroyWindow();

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result);

    UINT TemplateId() const { return m_templateId; }
    /// The result given to EndDialog, or 0 while the dialog has not ended.
    INT_PTR ModalResult() const { return m_modalResult; }
    bool HasEnded() const { return m_ended; }

    const afx::MessageMap* GetMessageMap() const override;

    // For the layer: the window went, destroyed by DestroyWindow or with its
    // parent window.
    void WindowDestroyed(afx::DialogWindow* window);

protected:
    virtual void OnOK();
    virtual void OnCancel();
    void OnPaint();
    /// Called after the window has been destroyed, by whichever way; a
    /// modeless dialog made with new deletes itself here.
    virtual void PostNcDestroy() {}

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend void DDX_Control(CDataExchange* dx, int id, CWnd& control);
    bool BuildWindow(CWnd* parent);
    void DestroyBuiltWindow();
    /// Lets go of the window: members detached, no window attached.
    void ReleaseWindow();
    void OnDialogOk() { OnOK(); }
    void OnDialogCancel() { OnCancel(); }

    UINT m_templateId;
    CWnd* m_parent;
    afx::DialogWindow* m_window = nullptr;
    INT_PTR m_modalResult = 0;
    bool m_ended = false;
    bool m_inModalLoop = false;
    std::vector<CWnd*> m_boundMembers;
};

class CDialogEx : public CDialog {
public:
    explicit CDialogEx(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}
};
