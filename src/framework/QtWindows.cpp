#include "QtWindows.h"

#include "Dialog.h"
#include "WinApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace afx {

// ---------------------------------------------------------------- text and fonts

QString ToQString(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}

CString FromQString(const QString& text) {
    const std::wstring w = text.toStdWString();
    return CString(w.c_str());
}

QStringList JapaneseGothicFamilies() {
    // The proportional gothics first: the template faces are proportional.
    // Qt takes the first one installed when it matches the font, without
    // enumerating every font at start-up.
    return {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
            QStringLiteral("Noto Sans JP"), QStringLiteral("VL PGothic"), QStringLiteral("VL Gothic"),
            QStringLiteral("TakaoPGothic"), QStringLiteral("TakaoGothic")};
}

QFont TemplateFont(const wchar_t* face, int pointSize, int weight) {
    const QString family = ToQString(face);
    QFont font;
    if (family == QLatin1String("MS UI Gothic") || family == QLatin1String("MS Shell Dlg") ||
        family == QLatin1String("MS Shell Dlg 2")) {
        font.setFamilies(JapaneseGothicFamilies());
    } else {
        font.setFamily(family);
    }
    // Point sizes are taken at the platform's logical 96 dots per inch; Qt
    // scales the whole window for high-density screens.
    font.setPixelSize((pointSize * 96 + 36) / 72);
    if (weight >= 600) font.setBold(true);
    // Hinting the outlines was the largest single cost of start-up (FreeType
    // running each glyph's hints); antialiased glyphs read as well without.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

DialogBaseUnits BaseUnitsFor(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect MapDialogRect(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
    const int left = x * units.x / 4;
    const int top = y * units.y / 8;
    const int right = (x + cx) * units.x / 4;
    const int bottom = (y + cy) * units.y / 8;
    return QRect(left, top, right - left, bottom - top);
}

// ---------------------------------------------------------------- edit control

EditControl::EditControl(DWORD style, QWidget* parent) : QLineEdit(parent), m_style(style) {
    setReadOnly((style & ES_READONLY) != 0);
    setFrame((style & WS_BORDER) != 0);
    // textEdited comes for what the user does (typing, deleting, cutting,
    // pasting, undo), never for setText.
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (onUserChange) onUserChange();
    });
}

void EditControl::keyPressEvent(QKeyEvent* event) {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn) {
        // A multi-line edit that wants Return keeps it; otherwise it goes to the dialog.
        if (!(m_style & ES_MULTILINE) || !(m_style & ES_WANTRETURN)) {
            event->ignore();
            return;
        }
        event->accept();
        if ((m_style & ES_NUMBER) || isReadOnly()) {
            QApplication::beep();
            return;
        }
        insert(QStringLiteral("\r\n"));  // raises textEdited like any edit
        return;
    }
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
    if (!command && printable && !isReadOnly()) {
        if (m_style & ES_NUMBER) {
            for (const QChar ch : typed) {
                if (ch < QLatin1Char('0') || ch > QLatin1Char('9')) {
                    QApplication::beep();
                    event->accept();
                    return;
                }
            }
        }
        if ((m_style & ES_LOWERCASE) && typed != typed.toLower()) {
            insert(typed.toLower());
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------- link control

LinkControl::LinkControl(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] {
        const QString address = Address();
        if (!address.isEmpty()) QDesktopServices::openUrl(QUrl(address));
    });
}

void LinkControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont underlined = font();
    underlined.setUnderline(true);
    painter.setFont(underlined);
    painter.setPen(palette().color(QPalette::Link));
    const QRect text = rect().adjusted(1, 0, -1, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, this->text());
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Link), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void GrayFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void LinkControl::Apply(const LinkSettings& settings) {
    m_settings = settings;
    QString tip = QString::fromStdString(settings.tooltip);
    if (tip.isEmpty() && settings.fullTextTooltip) tip = text();
    if (tip.isEmpty()) tip = Address();
    setToolTip(tip);
}

QString LinkControl::Address() const {
    // With no address of its own the link opens its caption.
    const QString url = m_settings.url.empty() ? text() : QString::fromStdString(m_settings.url);
    return QString::fromStdString(m_settings.urlPrefix) + url;
}

// ---------------------------------------------------------------- dialog window

namespace {

// Start-up probes for measuring scripts: AFX_STARTUP_NS (the launcher's
// CLOCK_REALTIME in nanoseconds) makes the first paint of a top-level dialog
// print how long start-up took; AFX_CLOSE_WHEN_SHOWN closes that dialog
// through its close box right after, so the program ends the normal way.
void ReportFirstPaint(QWidget* window) {
    if (const char* start = std::getenv("AFX_STARTUP_NS")) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const long long nowNs = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
        std::fprintf(stderr, "afx: first paint after %.3f ms\n", static_cast<double>(nowNs - std::atoll(start)) / 1e6);
    }
    if (std::getenv("AFX_CLOSE_WHEN_SHOWN")) QTimer::singleShot(0, window, [window] { window->close(); });
}

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
    return label;
}

}  // namespace

DialogWindow* DialogOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* dialog = dynamic_cast<DialogWindow*>(w)) return dialog;
    }
    return nullptr;
}

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
}

void DialogWindow::Build(const DialogTemplate& tmpl) {
    const QFont font = TemplateFont(tmpl.fontFace, tmpl.fontPointSize, tmpl.fontWeight);
    setFont(font);
    m_units = BaseUnitsFor(font);
    setWindowTitle(ToQString(tmpl.caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   ((tmpl.style & WS_SYSMENU) ? Qt::WindowCloseButtonHint : Qt::WindowType(0)));
    setSizeGripEnabled(false);

    const QRect client = MapDialogRect(m_units, 0, 0, tmpl.cx, tmpl.cy);
    m_templateSize = client.size();
    setFixedSize(client.size());

    m_hasSystemMenu = (tmpl.style & WS_SYSMENU) != 0;
    if (m_hasSystemMenu) m_systemMenu.AppendMenuW(MF_STRING, SC_CLOSE, L"閉じる(&C)\tAlt+F4");

    const QFontMetrics metrics(font);
    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& c : tmpl.controls) {
        QWidget* w = MakeControl(c);
        QRect rect = MapDialogRect(m_units, c.x, c.y, c.cx, c.cy);
        if (auto* label = dynamic_cast<QLabel*>(w); label && label->pixmap().isNull()) {
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
        w->setEnabled(!(c.style & WS_DISABLED));
        w->setVisible((c.style & WS_VISIBLE) != 0);
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
        m_templateRects.push_back(rect);
        if (c.id != -1 && !m_wrappers.count(c.id)) {
            auto wrapper = std::make_unique<CWnd>();
            wrapper->Attach(w, c.id);
            m_wrappers.emplace(c.id, std::move(wrapper));
        }
    }

    // Settings of the framework's own controls.
    if (auto records = ParseDialogInit(FindDialogInit(tmpl.id))) {
        for (const DialogInitRecord& r : *records) {
            if (r.message != kInitFrameworkControl) continue;
            if (auto* link = dynamic_cast<LinkControl*>(ControlWidget(r.controlId))) link->Apply(ParseLinkSettings(r.data));
        }
    }
    if (auto layout = ParseDynamicLayout(FindDialogLayout(tmpl.id)); layout && layout->size() == m_controls.size()) {
        m_layout = std::move(*layout);
    }

    if (tmpl.style & 0x0800 /* DS_CENTER */) {
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
        button->setDefault((c.style & 0xF) == BS_DEFPUSHBUTTON);
        const int id = c.id;
        connect(button, &QPushButton::clicked, this, [this, id] { SendCommand(id, BN_CLICKED); });
        return button;
    }
    case ControlClass::Edit: {
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
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setFont(font());
    for (const CMenu::Item& item : m_systemMenu.Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(ToQString(item.text.GetString()));
        const UINT id = item.id;
        action->setData(id);
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
    return QDialog::eventFilter(watched, event);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // The close box is the system command Close; the dialog ends itself through EndDialog.
    event->ignore();
    m_owner.CallWindowProc(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    ShowSystemMenu(event->globalPos());
    event->accept();
}

void DialogWindow::paintEvent(QPaintEvent* event) {
    m_paintEvent = event;
    m_owner.CallWindowProc(WM_PAINT, 0, 0);
    m_paintEvent = nullptr;
    if (!m_painted && !parentWidget()) {
        m_painted = true;
        ReportFirstPaint(this);
    }
}

void DialogWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_layout.empty()) return;
    // Controls follow the window by their layout percentages of the size change.
    const int dx = width() - m_templateSize.width();
    const int dy = height() - m_templateSize.height();
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const LayoutRecord& r = m_layout[i];
        QRect rect = m_templateRects[i];
        rect.translate(dx * r.moveX / 100, dy * r.moveY / 100);
        rect.setSize(rect.size() + QSize(dx * r.sizeX / 100, dy * r.sizeY / 100));
        if (m_controls[i]->minimumSize() == m_controls[i]->maximumSize() && m_controls[i]->minimumWidth() > 0) {
            m_controls[i]->move(rect.topLeft());
        } else {
            m_controls[i]->setGeometry(rect);
        }
    }
}

}  // namespace afx

namespace afx {

static_assert(std::endian::native == std::endian::little, "icon rows are copied as ARGB32 words");

QIcon IconFromIco(std::span<const std::uint8_t> icoFile) {
    // Read here rather than through Qt's image plugins, which would be
    // looked up and loaded at start-up for this one icon. The window needs
    // the 32-bit images (and the PNG one); the 4-, 8- and 24-bit images are
    // for displays with fewer colours.
    auto read16 = [&](std::size_t at) { return static_cast<unsigned>(icoFile[at] | (icoFile[at + 1] << 8)); };
    auto read32 = [&](std::size_t at) { return read16(at) | (read16(at + 2) << 16); };
    QIcon icon;
    if (icoFile.size() < 6 || read16(0) != 0 || read16(2) != 1) return icon;
    const unsigned count = read16(4);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * std::size_t(i);
        if (entry + 16 > icoFile.size()) break;
        const std::size_t size = read32(entry + 8);
        const std::size_t offset = read32(entry + 12);
        if (offset > icoFile.size() || size > icoFile.size() - offset || size < 40) continue;
        const std::uint8_t* data = icoFile.data() + offset;
        if (data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G') {
            const QImage png = QImage::fromData(data, static_cast<int>(size), "PNG");
            if (!png.isNull()) icon.addPixmap(QPixmap::fromImage(png));
            continue;
        }
        // BITMAPINFOHEADER, then bottom-up BGRA rows (the AND mask after them is not needed).
        const std::size_t header = read32(offset);
        const auto width = static_cast<int>(read32(offset + 4));
        const auto height = static_cast<int>(read32(offset + 8)) / 2;
        const unsigned bitCount = read16(offset + 14);
        if (bitCount != 32 || width <= 0 || width > 256 || height != width) continue;
        const std::size_t rowBytes = 4 * std::size_t(width);
        if (header + rowBytes * std::size_t(height) > size) continue;
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = data + header + rowBytes * std::size_t(height - 1 - y);
            std::memcpy(image.scanLine(y), row, rowBytes);  // BGRA in memory is ARGB32 on little-endian
        }
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

}  // namespace afx
