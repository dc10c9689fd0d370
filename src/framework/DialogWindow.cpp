#include "DialogWindow.h"

#include "Dialog.h"
#include "EditControl.h"
#include "GrayFrame.h"
#include "Icon.h"
#include "LineChartPainter.h"
#include "LinkControl.h"
#include "QtText.h"
#include "Startup.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace afx {
namespace {

// One line of the template font is 8 dialog units high.
constexpr int kLineHeightDialogUnits = 8;

QWidget* MakeStatic(const ControlTemplate& c, QWidget* parent) {
    const DWORD type = c.style & SS_TYPEMASK;
    if (type == SS_GRAYFRAME) {
        return new GrayFrame(parent);
    }
    auto* label = new QLabel(parent);
    if (type == SS_ICON) {
        // An icon static names its icon as "#id" and takes the icon's own size.
        const QString name = ToQString(c.text);
        const UINT iconId = name.startsWith(QLatin1Char('#')) ? name.mid(1).toUInt() : 0;
        if (HICON icon = AfxLoadIcon(iconId)) {
            const int size = GetSystemMetrics(SM_CXICON);
            label->setPixmap(icon->Pixmap(size));
            label->setFixedSize(size, size);
        }
        return label;
    }
    QString text = ToQString(c.text);
    label->setTextFormat(Qt::PlainText);
    if (!(c.style & SS_NOPREFIX)) {
        // "&&" is a literal ampersand; a single "&" only marks the access key.
        text.replace(QLatin1String("&&"), QChar(0xE000));
        text.remove(QLatin1Char('&'));
        text.replace(QChar(0xE000), QLatin1Char('&'));
    }
    label->setText(text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A static two or more lines high breaks its text between words, as an
    // SS_LEFT static does; the one-line statics keep to one line.
    label->setWordWrap(c.cy >= 2 * kLineHeightDialogUnits);
    return label;
}

}  // namespace

DialogWindow::DialogWindow(CDialog& owner, const DialogTemplate& tmpl, QWidget* parent)
    : QDialog(parent), m_owner(owner) {
    Build(tmpl);
}

DialogWindow::~DialogWindow() {
    // An open menu goes first, while this window is still whole.
    if (m_openMenu) {
        m_openMenu->disconnect(this);
        delete m_openMenu;
    }
    for (auto& [id, wrapper] : m_wrappers) wrapper->Detach();
    // Also when Qt destroys this window with its parent window.
    m_owner.WindowDestroyed(this);
}

void DialogWindow::Build(const DialogTemplate& tmpl) {
    const QFont font = TemplateFont(tmpl.fontFace, tmpl.fontPointSize, tmpl.fontWeight);
    setFont(font);
    setWindowTitle(ToQString(tmpl.caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   ((tmpl.style & WS_SYSMENU) ? Qt::WindowCloseButtonHint : Qt::WindowType(0)));
    setSizeGripEnabled(false);

    m_hasSystemMenu = (tmpl.style & WS_SYSMENU) != 0;
    if (m_hasSystemMenu) m_systemMenu.AppendMenuW(MF_STRING, SC_CLOSE, L"閉じる(&C)\tAlt+F4");

    // The controls are made first and placed once the font has been measured:
    // the first measure waits for Qt's list of installed fonts, which is made
    // on a helper thread while the application starts.
    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : tmpl.controls) {
        QWidget* w = MakeControl(c);
        w->setEnabled(!(c.style & WS_DISABLED));
        if (c.style & WS_TABSTOP) {
            w->setFocusPolicy(Qt::StrongFocus);
            // Creation order is tab order.
            if (previousTabStop) QWidget::setTabOrder(previousTabStop, w);
            previousTabStop = w;
        } else if (c.kind == ControlClass::Static) {
            w->setFocusPolicy(Qt::NoFocus);
        } else {
            w->setFocusPolicy(Qt::ClickFocus);
        }
        w->setProperty("afxControlId", c.id);
        w->installEventFilter(this);
        m_controls.push_back(w);
        m_controlStyles.push_back(c.style);
        if (c.id != -1 && !m_wrappers.count(c.id)) {
            auto wrapper = std::make_unique<CWnd>();
            wrapper->Attach(w, c.id);
            m_wrappers.emplace(c.id, std::move(wrapper));
        }
    }

    const DialogBaseUnits units = BaseUnitsFor(font);
    // No sizing border: the window keeps its template size.
    setFixedSize(MapDialogRect(units, 0, 0, tmpl.cx, tmpl.cy).size());
    const QFontMetrics metrics(font);
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const ControlTemplate& c = tmpl.controls[i];
        QWidget* w = m_controls[i];
        QRect rect = MapDialogRect(units, c.x, c.y, c.cx, c.cy);
        if (auto* label = dynamic_cast<QLabel*>(w); label && label->pixmap().isNull() && !label->wordWrap()) {
            // A label whose text is wider in this font than in the template's
            // own grows to the right rather than cut its text off. Shaping
            // the text is only needed when even the widest glyphs might not fit.
            const QString text = label->text();
            if (text.size() * metrics.maxWidth() + 2 > rect.width()) {
                const int needed = metrics.horizontalAdvance(text) + 2;
                if (needed > rect.width()) rect.setWidth(needed);
            }
        }
        if ((c.kind != ControlClass::Static) || ((c.style & SS_TYPEMASK) != SS_ICON)) w->setGeometry(rect);
        else w->move(rect.topLeft());
        // Shown once placed: a control shown before it has a size takes the
        // size its contents ask for first.
        w->setVisible((c.style & WS_VISIBLE) != 0);
    }

    // Settings of the framework's own controls.
    if (auto records = ParseDialogInit(FindDialogInit(tmpl.id))) {
        for (const DialogInitRecord& r : *records) {
            if (r.message != kInitFrameworkControl) continue;
            if (auto* link = dynamic_cast<LinkControl*>(ControlWidget(r.controlId))) link->Apply(ParseLinkSettings(r.data));
        }
    }

    if (tmpl.style & DS_CENTER) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - QPoint(width() / 2, height() / 2));
        }
    }
}

QWidget* DialogWindow::MakeControl(const ControlTemplate& c) {
    switch (c.kind) {
    case ControlClass::Button: {
        auto* button = new QPushButton(ToQString(c.text), this);
        button->setAutoDefault(false);
        button->setDefault((c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        const int id = c.id;
        connect(button, &QPushButton::clicked, this, [this, id] { SendCommand(id, BN_CLICKED); });
        return button;
    }
    case ControlClass::Edit: {
        if ((c.style & ES_MULTILINE) && (c.style & WS_VSCROLL)) {
            auto* lines = new MultiLineEdit(c.style, this);
            if (c.text) lines->SetWindowText(ToQString(c.text));
            return lines;
        }
        auto* edit = new EditControl(c.style, this);
        if (c.text) edit->setText(ToQString(c.text));
        const int id = c.id;
        edit->onUserChange = [this, id] { SendCommand(id, EN_CHANGE); };
        return edit;
    }
    case ControlClass::MfcLink: {
        auto* link = new LinkControl(ToQString(c.text), this);
        const int id = c.id;
        connect(link, &QAbstractButton::clicked, this, [this, id] { SendCommand(id, BN_CLICKED); });
        return link;
    }
    case ControlClass::LineChart:
        return new LineChartControl(this);
    case ControlClass::Static:
        break;
    }
    return MakeStatic(c, this);
}

CWnd* DialogWindow::Control(int id) const {
    const auto it = m_wrappers.find(id);
    return it == m_wrappers.end() ? nullptr : it->second.get();
}

QWidget* DialogWindow::ControlWidget(int id) const {
    const CWnd* wnd = Control(id);
    return wnd ? wnd->Widget() : nullptr;
}

void DialogWindow::SendCommand(int id, WORD code) {
    m_owner.CallWindowProc(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), code),
                           reinterpret_cast<LPARAM>(Control(id)));
}

void DialogWindow::PressDefaultButton() {
    // Return presses the focused push button, else the default one, else sends IDOK.
    if (auto* focused = dynamic_cast<QPushButton*>(focusWidget()); focused && focused->isEnabled()) {
        focused->click();
        return;
    }
    for (QWidget* w : m_controls) {
        auto* button = dynamic_cast<QPushButton*>(w);
        if (button && button->isDefault() && button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
    SendCommand(IDOK, BN_CLICKED);
}

void DialogWindow::FocusFirstTabStop() {
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        QWidget* w = m_controls[i];
        if ((m_controlStyles[i] & WS_TABSTOP) && !w->isHidden() && w->isEnabled()) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

QMenu* DialogWindow::ShowSystemMenu(const QPoint& globalPos) {
    if (!m_hasSystemMenu) return nullptr;
    QMenu* menu = MakeQMenu(m_systemMenu, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const UINT id = action->data().toUInt();
        connect(action, &QAction::triggered, this, [this, id] {
            m_owner.CallWindowProc(WM_SYSCOMMAND, id, 0);
        });
    }
    connect(menu, &QMenu::aboutToHide, this, [this, menu] {
        if (m_openMenu == menu) m_openMenu = nullptr;
    });
    m_openMenu = menu;
    menu->popup(globalPos);
    return menu;
}

void DialogWindow::SetIcons(HICON big, HICON small) {
    QIcon icon;
    if (big) icon = big->icon;
    else if (small) icon = small->icon;
    setWindowIcon(icon);
}

void DialogWindow::DefaultPaint() {
    if (m_paintEvent) QDialog::paintEvent(m_paintEvent);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        SendCommand(IDCANCEL, BN_CLICKED);
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        PressDefaultButton();
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && (key->modifiers() & Qt::AltModifier)) {
            ShowSystemMenu(mapToGlobal(QPoint(0, 0)));
            return true;
        }
    }
    // A right-click (or the menu key) on a control is the dialog's to handle,
    // naming the control; edit fields keep their own menus.
    auto* control = qobject_cast<QWidget*>(watched);
    const bool hasOwnMenu =
        qobject_cast<QLineEdit*>(control) != nullptr || qobject_cast<QPlainTextEdit*>(control) != nullptr;
    if (event->type() == QEvent::ContextMenu && control != nullptr && !hasOwnMenu) {
        CWnd* wnd = Control(control->property("afxControlId").toInt());
        SendContextMenu(wnd != nullptr ? wnd : &m_owner, *static_cast<QContextMenuEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void DialogWindow::SendContextMenu(CWnd* clicked, const QContextMenuEvent& event) {
    // The menu key sends no point: (-1, -1), and the handler places the menu.
    const LPARAM point = event.reason() == QContextMenuEvent::Keyboard
                             ? MAKELPARAM(-1, -1)
                             : MAKELPARAM(event.globalPos().x(), event.globalPos().y());
    m_owner.CallWindowProc(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(clicked), point);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // The close box is the system command Close; the dialog ends itself through EndDialog.
    event->ignore();
    m_owner.CallWindowProc(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    SendContextMenu(&m_owner, *event);
    event->accept();
}

void DialogWindow::paintEvent(QPaintEvent* event) {
    m_paintEvent = event;
    m_owner.CallWindowProc(WM_PAINT, 0, 0);
    m_paintEvent = nullptr;
    // The main window has painted: the program is up.
    if (!parentWidget()) EndStartup();
}

}  // namespace afx
