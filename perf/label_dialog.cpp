// The minimal dialog with one label of Japanese text: what showing any text
// adds to a Qt program's start (fontconfig's configuration, Qt's list of
// installed fonts, a font loaded, glyphs drawn), next to which
// scripts/measure-startup shows velquor's own cost.
#include <QApplication>
#include <QDialog>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    dialog.resize(1200, 607);
    QLabel label(QStringLiteral("メモリー確保無し"), &dialog);
    label.move(12, 12);
    dialog.exec();
    return 0;
}
