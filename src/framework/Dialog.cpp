#include "Dialog.h"

#include "DialogWindow.h"
#include "WinApp.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace afx {
namespace {
ModalHook& CurrentModalHook() {
    static ModalHook hook;
    return hook;
}
}  // namespace

ModalHook SetModalHook(ModalHook hook) {
    ModalHook previous = std::move(CurrentModalHook());
    CurrentModalHook() = std::move(hook);
    return previous;
}
}  // namespace afx

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (!dx || !dx->m_pDlgWnd || control.Widget()) return;
    CWnd* item = dx->m_pDlgWnd->GetDlgItem(id);
    if (!item) return;
    control.Attach(item->Widget(), id);
    dx->m_pDlgWnd->m_boundMembers.push_back(&control);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
    DestroyBuiltWindow();
}

const afx::MessageMap* CDialog::GetMessageMap() const {
    static constexpr afx::MessageMapEntry entries[] = {
        afx::OnBnClicked<&CDialog::OnDialogOk>(IDOK),
        afx::OnBnClicked<&CDialog::OnDialogCancel>(IDCANCEL),
    };
    static const afx::MessageMap map{CCmdTarget::GetMessageMap(), entries};
    return &map;
}

bool CDialog::BuildWindow(CWnd* parent) {
    const afx::DialogTemplate* tmpl = afx::FindDialog(m_templateId);
    if (!tmpl) return false;
    DestroyBuiltWindow();
    m_ended = false;
    m_modalResult = 0;
    // With no parent given, the main window owns the dialog.
    if (!parent) {
        CWnd* main = AfxGetMainWnd();
        if (main != this) parent = main;
    }
    QWidget* parentWidget = parent ? parent->Widget() : nullptr;
    m_window = new afx::DialogWindow(*this, *tmpl, parentWidget);
    Attach(m_window, 0);
    const LRESULT focusFirst = CallWindowProc(WM_INITDIALOG, 0, 0);
    if (focusFirst) m_window->FocusFirstTabStop();
    return true;
}

void CDialog::ReleaseWindow() {
    for (CWnd* member : m_boundMembers) member->Detach();
    m_boundMembers.clear();
    m_window = nullptr;
    Detach();
}

void CDialog::DestroyBuiltWindow() {
    afx::DialogWindow* window = m_window;
    ReleaseWindow();
    delete window;
}

void CDialog::WindowDestroyed(afx::DialogWindow* window) {
    // Destroyed on the dialog's own word, it is already released.
    if (window != m_window) return;
    ReleaseWindow();
    PostNcDestroy();
}

INT_PTR CDialog::DoModal() {
    if (!BuildWindow(m_parent)) return -1;
    if (m_ended) {
        // OnInitDialog already ended the dialog.
        const INT_PTR result = m_modalResult;
        DestroyBuiltWindow();
        return result;
    }
    if (afx::CurrentModalHook()) {
        QTimer::singleShot(0, m_window, [this] {
            afx::ModalHook hook = afx::CurrentModalHook();
            if (hook) hook(*this);
            if (!m_ended) EndDialog(IDCANCEL);
        });
    }
    m_inModalLoop = true;
    m_window->setWindowModality(Qt::ApplicationModal);
    m_window->exec();
    m_inModalLoop = false;
    const INT_PTR result = m_ended ? m_modalResult : IDCANCEL;
    DestroyBuiltWindow();
    return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_templateId = templateId;
    if (!BuildWindow(parent)) return FALSE;
    m_window->show();
    return TRUE;
}

void CDialog::DestroyWindow() {
    if (!m_window) return;
    if (InMessage()) {
        // Qt must not delete a window inside one of its own events (a click
        // on its button, a key it is handling): WindowDestroyed follows.
        m_window->hide();
        m_window->deleteLater();
        return;
    }
    DestroyBuiltWindow();
    PostNcDestroy();
}

BOOL CDialog::OnInitDialog() {
    // The template's dialog-init data was applied when the window was built.
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    m_ended = true;
    if (!m_window) return;
    if (m_inModalLoop) m_window->done(result);
    else m_window->hide();
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::OnPaint() {
    Default();
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_CLOSE:
        return SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    case WM_CONTEXTMENU:
        // A right-click nobody handled opens the system menu where it was
        // made; the menu key opens it where Alt+Space does.
        if (m_window) {
            const CPoint point(lParam);
            const bool byKeyboard = point == CPoint(-1, -1);
            m_window->ShowSystemMenu(byKeyboard ? m_window->mapToGlobal(QPoint(0, 0)) : QPoint(point.x, point.y));
        }
        return 0;
    case WM_PAINT:
        if (m_window) m_window->DefaultPaint();
        return 0;
    case WM_ICONERASEBKGND:
        if (auto* dc = reinterpret_cast<HDC>(wParam); dc && dc->Painter() && m_window) {
            dc->Painter()->fillRect(m_window->rect(), m_window->palette().window());
        }
        return 1;
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
