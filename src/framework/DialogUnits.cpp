#include "DialogUnits.h"

#include "FontConfiguration.h"
#include "QtText.h"

#include <QFontMetrics>
#include <QStringList>

namespace afx {
namespace {

// The Japanese gothics that stand in for "MS UI Gothic" and "MS Shell Dlg",
// proportional ones first as the template faces are proportional.
QStringList JapaneseGothicFamilies() {
    return {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
            QStringLiteral("Noto Sans JP"), QStringLiteral("VL PGothic"), QStringLiteral("VL Gothic"),
            QStringLiteral("TakaoPGothic"), QStringLiteral("TakaoGothic")};
}

// The fixed-width Japanese gothics that stand in for "MS Gothic",
// whose half-width letters all take half the width of a full-width one.
QStringList FixedJapaneseGothicFamilies() {
    return {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("VL Gothic"),
            QStringLiteral("TakaoGothic")};
}

// The first of the families that is installed, as the font's one family; the
// whole list when none is. Given a list, Qt would sort every installed font
// into a fallback list for each script the font draws, at every start; given
// one family, it looks for fallbacks only for a character that face lacks.
// Asked of fontconfig, so that Qt's own list of fonts can be made meanwhile.
void SetFirstInstalled(QFont& font, const QStringList& families) {
    for (const QString& family : families) {
        if (FontFamilyInstalled(family.toUtf8().constData())) {
            font.setFamily(family);
            return;
        }
    }
    font.setFamilies(families);
}

}  // namespace

QFont TemplateFont(const wchar_t* face, int pointSize, int weight) {
    const QString family = ToQString(face);
    QFont font;
    if (family == QLatin1String("MS UI Gothic") || family == QLatin1String("MS Shell Dlg") ||
        family == QLatin1String("MS Shell Dlg 2")) {
        SetFirstInstalled(font, JapaneseGothicFamilies());
    } else if (family == QLatin1String("MS Gothic")) {
        SetFirstInstalled(font, FixedJapaneseGothicFamilies());
        font.setStyleHint(QFont::Monospace);
        font.setFixedPitch(true);
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

}  // namespace afx
