// The Qt application as the layer sets it up: Qt's own texts in Japanese,
// the template fonts as installed faces, fontconfig's configuration and the
// program icon as embedded, and Qt's warnings printed once per kind.
#include "dialog/VelquorDlg.h"
#include "framework/testing/Driver.h"
#include "framework/DialogUnits.h"
#include "framework/FontConfiguration.h"
#include "framework/Icon.h"
#include "framework/MessageLog.h"
#include "framework/SessionBus.h"
#include "framework/testing/Inspection.h"
#include "res/Resource.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QWidget>

#include <fontconfig/fontconfig.h>

#include <filesystem>
#include <fstream>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(QtTranslationTest, EditFieldMenusAreJapaneseAndARightClickOpensTheFieldsOwn) {
    CVelquorDlg dlg;
    afx::DialogDriver drv(dlg);
    const std::vector<std::string> expected{"元に戻す(U)", "やり直す(R)", "切り取り(T)", "コピー(C)",
                                            "貼り付け(P)", "削除",        "すべてを選択"};
    EXPECT_EQ(afx::testing::EditMenuTexts(dlg, 1033), expected);
    // A read-only result field offers only what leaves its text alone.
    EXPECT_EQ(afx::testing::EditMenuTexts(dlg, 1001), (std::vector<std::string>{"コピー(C)", "すべてを選択"}));
    QWidget* edit = dlg.GetDlgItem(1033)->Widget();
    const QPoint inside(edit->width() / 2, edit->height() / 2);
    QContextMenuEvent click(QContextMenuEvent::Mouse, inside, edit->mapToGlobal(inside));
    QApplication::sendEvent(edit, &click);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    std::vector<std::string> texts;
    for (const QAction* action : popup->actions()) {
        if (!action->isSeparator()) texts.push_back(action->text().section(QLatin1Char('\t'), 0, 0).toStdString());
    }
    popup->close();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "元に戻す(&U)");
}

TEST(TemplateFontTest, AStandInFaceIsTheFirstInstalledGothicAlone) {
    // One family, so that Qt sorts no fallback list at start-up (the IPA gothics come with the packages).
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"MS UI Gothic", "IPAPGothic"}, {L"MS Gothic", "IPAGothic"}, {L"Tahoma", "Tahoma"}};
    for (const auto& [face, family] : cases) {
        EXPECT_EQ(afx::TemplateFont(face, 9, 0).families(), QStringList(family)) << family;
    }
}

TEST(TemplateFontTest, AFamilyIsInstalledByAFontsOwnNameInAnyCase) {
    for (const auto& [family, installed] : {std::pair{"ipapgothic", true}, {"IPA Pゴシック", false}, {"MS UI Gothic", false}}) {
        EXPECT_EQ(afx::FontFamilyInstalled(family), installed) << family;  // not a translated name, nor a missing one
    }
}

// What a configuration makes of the template face: every font in the order
// text would try them, with the settings each is drawn with.
std::string Described(FcConfig* config) {
    std::string text;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAPGothic:pixelsize=12"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(config, pattern, FcTrue, nullptr, &result);
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcPattern* font = FcFontRenderPrepare(config, pattern, fonts->fonts[i]);
        FcChar8* name = FcNameUnparse(font);
        text += std::string(reinterpret_cast<const char*>(name)) + '\n';
        FcStrFree(name);
        FcPatternDestroy(font);
    }
    if (fonts) FcFontSetDestroy(fonts);
    FcPatternDestroy(pattern);
    return text;
}

TEST(FontConfigurationTest, TheConfigurationReadAheadIsTheOneFontconfigReads) {
    // The test program's QtApplication has made the layer's reading current.
    FcConfig* current = FcConfigReference(nullptr);
    FcConfig* fontconfigs = FcInitLoadConfigAndFonts();
    ASSERT_NE(fontconfigs, nullptr);
    EXPECT_EQ(Described(current), Described(fontconfigs));
    FcConfigDestroy(fontconfigs);
    FcConfigDestroy(current);
}

TEST(SessionBusTest, OnlyWithNoAddressNoBusInTheRuntimeFolderAndNoRunnableLauncherIsTheLaunchSkipped) {
    namespace fs = std::filesystem;
    const ScratchFolder scratch("velquor-bus");
    const fs::path none = scratch.path() / "none", launcher = scratch.path() / "launcher",
                   unrunnable = scratch.path() / "unrunnable", runtime = scratch.path() / "runtime",
                   runtimeWithBus = scratch.path() / "runtime-bus";
    for (const fs::path& folder : {none, launcher, unrunnable, runtime, runtimeWithBus}) fs::create_directory(folder);
    for (const fs::path& folder : {launcher, unrunnable}) std::ofstream(folder / "dbus-launch") << "#!/bin/sh\n";
    fs::permissions(launcher / "dbus-launch", fs::perms::owner_all);
    fs::permissions(unrunnable / "dbus-launch", fs::perms::owner_read | fs::perms::owner_write);
    std::ofstream(runtimeWithBus / "bus") << "";

    const std::string searchNone = none.string(), searchBoth = none.string() + ":" + launcher.string();
    EXPECT_TRUE(afx::SessionBusLaunchCannotSucceed(nullptr, nullptr, searchNone.c_str()));
    EXPECT_TRUE(afx::SessionBusLaunchCannotSucceed(nullptr, runtime.c_str(), searchNone.c_str()));
    EXPECT_TRUE(afx::SessionBusLaunchCannotSucceed(nullptr, nullptr, unrunnable.c_str()));
    // Any address is D-Bus's to try; an empty one fails without a fork.
    EXPECT_FALSE(afx::SessionBusLaunchCannotSucceed("unix:path=/nowhere", nullptr, searchNone.c_str()));
    EXPECT_FALSE(afx::SessionBusLaunchCannotSucceed("", nullptr, searchNone.c_str()));
    EXPECT_FALSE(afx::SessionBusLaunchCannotSucceed(nullptr, runtimeWithBus.c_str(), searchNone.c_str()));
    // A launcher in any folder of the path, the last one too.
    EXPECT_FALSE(afx::SessionBusLaunchCannotSucceed(nullptr, nullptr, searchBoth.c_str()));
}

TEST(IconTest, TheEmbeddedIconsHoldTheirFilesImages) {
    for (const auto& [id, name] : {std::pair{res::IDR_MAINFRAME, "velquor"}, std::pair{res::IDI_ALTERNATE, "velquor_alt"}}) {
        QFile file(QStringLiteral(VELQUOR_SOURCE_DIR "/src/res/icons/%1.ico").arg(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = file.readAll();
        const QIcon original = afx::IconFromIco({reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())});
        const QIcon embedded = afx::LoadIconResource(id);
        ASSERT_EQ(embedded.availableSizes(), original.availableSizes()) << name;
        for (const QSize& size : original.availableSizes()) EXPECT_EQ(embedded.pixmap(size).toImage(), original.pixmap(size).toImage());
    }
}

TEST(MessageLogTest, EachKindIsPrintedOnceAndCountedAndOnlyClosedQuotesAreNames) {
    afx::MessageLog log;
    EXPECT_EQ(log.Accept("  OpenType support missing for \"Z003\", script 32"),
              "  OpenType support missing for \"Z003\", script 32");
    // The same kind with other names and numbers is held back.
    EXPECT_FALSE(log.Accept("  OpenType support missing for \"URW Gothic\", script 19"));
    EXPECT_FALSE(log.Accept("  OpenType support missing for \"Z003\", script 7"));
    EXPECT_EQ(log.Accept("QPainter::begin: Paint device returned engine == 0, type: 3"),
              "QPainter::begin: Paint device returned engine == 0, type: 3");
    for (int i = 0; i < 300; ++i) EXPECT_FALSE(log.Accept("QPainter::begin: Paint device returned engine == 0, type: 3"));
    // A different text is another kind, even when it starts alike.
    EXPECT_TRUE(log.Accept("QPainter::setPen: Painter not active"));
    EXPECT_EQ(log.Summary(), (std::vector<std::string>{
                                 "velquor: 2 more Qt messages like: OpenType support missing for \"…\", script #",
                                 "velquor: 300 more Qt messages like: QPainter::begin: Paint device returned engine == #, type: #",
                             }));

    // An unclosed quote is no name, and bare numbers are numbers.
    log = afx::MessageLog();
    EXPECT_TRUE(log.Accept("font \"unclosed"));
    EXPECT_FALSE(log.Accept("font \"unclosed"));
    EXPECT_TRUE(log.Accept("font \"other"));  // an unclosed quote is not a name
    EXPECT_TRUE(log.Accept("12"));
    EXPECT_FALSE(log.Accept("345"));
    EXPECT_TRUE(log.Accept(""));
    EXPECT_EQ(log.Summary(), (std::vector<std::string>{"velquor: 1 more Qt messages like: font \"unclosed",
                                                       "velquor: 1 more Qt messages like: #"}));
}

}  // namespace
