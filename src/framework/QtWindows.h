// The layer's Qt side: the widgets that play the platform's dialog and
// control windows. Only the layer's own .cpp files include this.
#pragma once

#include "DialogData.h"
#include "Resources.h"
#include "Wnd.h"

#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QLineEdit>
#include <QPointer>
#include <QAbstractButton>
#include <QPushButton>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class CDialog;

/// An icon resource with every image it holds.
class CIconImage {
public:
    QIcon icon;
    QPixmap Pixmap(int size) const { return icon.pixmap(size, size); }
};

namespace afx {

/// The size of one dialog unit, from the template font, as the platform
/// computes it: the average width of the 52 Latin letters and the font height.
struct DialogBaseUnits {
    int x = 0;
    int y = 0;
};
DialogBaseUnits BaseUnitsFor(const QFont& font);
QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int cx, int cy);

/// The font a template names, resolved to an installed face.
QFont TemplateFont(const wchar_t* face, int pointSize, int weight);
/// The installed Japanese gothics that stand in for "MS UI Gothic" and
/// "MS Shell Dlg", in order of preference.
QStringList JapaneseGothicFamilies();

QString ToQString(const wchar_t* text);
CString FromQString(const QString& text);

/// An edit control: multi-line edits keep Return, digits-only edits refuse
/// other typed characters (pasted text passes), and only user changes raise
/// EN_CHANGE. The text may hold line breaks (a pasted "\r\n" stays as it is),
/// as a multi-line edit's text does; the box shows one line of it.
class EditControl : public QLineEdit {
public:
    EditControl(DWORD style, QWidget* parent);
    std::function<void()> onUserChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    DWORD m_style;
};

/// The framework's link control: a button that looks like a link and opens
/// its address (or, with none, its caption).
class LinkControl : public QAbstractButton {
public:
    explicit LinkControl(const QString& text, QWidget* parent);
    void Apply(const LinkSettings& settings);
    QString Address() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LinkSettings m_settings;
};

/// A static frame drawn as a gray outline.
class GrayFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// A dialog window built from a template.
class DialogWindow : public QDialog {
public:
    DialogWindow(CDialog& owner, const DialogTemplate& tmpl, QWidget* parent);
    ~DialogWindow() override;

    /// The wrapper of the control with this id, or nullptr.
    CWnd* Control(int id) const;
    QWidget* ControlWidget(int id) const;
    /// Controls in creation order.
    const std::vector<QWidget*>& Controls() const { return m_controls; }
    const DialogBaseUnits& BaseUnits() const { return m_units; }

    CMenu& SystemMenu() { return m_systemMenu; }
    bool HasSystemMenu() const { return m_hasSystemMenu; }
    /// Opens the system menu at a global position; returns the open popup.
    QMenu* ShowSystemMenu(const QPoint& globalPos);
    QMenu* OpenSystemMenu() const { return m_openMenu.data(); }

    /// Focus to the first visible, enabled tab stop.
    void FocusFirstTabStop();
    void DefaultPaint();
    void SetIcons(HICON big, HICON small);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build(const DialogTemplate& tmpl);
    QWidget* MakeControl(const ControlTemplate& c);
    void SendCommand(int id, WORD code);
    void PressDefaultButton();

    CDialog& m_owner;
    DialogBaseUnits m_units;
    std::vector<QWidget*> m_controls;
    std::vector<DWORD> m_controlStyles;
    std::vector<QRect> m_templateRects;
    std::map<int, std::unique_ptr<CWnd>> m_wrappers;
    std::vector<LayoutRecord> m_layout;
    QSize m_templateSize;
    CMenu m_systemMenu;
    bool m_hasSystemMenu = false;
    QPointer<QMenu> m_openMenu;
    QPaintEvent* m_paintEvent = nullptr;
    bool m_painted = false;
};

/// The dialog window a CWnd's widget belongs to (itself or its parent), or nullptr.
DialogWindow* DialogOf(QWidget* widget);

}  // namespace afx

namespace afx {
/// Every image of an .ico file as one icon; a null icon when none can be read.
QIcon IconFromIco(std::span<const std::uint8_t> icoFile);
}  // namespace afx
