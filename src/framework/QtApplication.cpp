#include "QtApplication.h"

#include "DialogUnits.h"
#include "FontConfiguration.h"
#include "MessageLog.h"
#include "Resources.h"
#include "SessionBus.h"
#include "Startup.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>

namespace afx {
namespace {

// Qt looks for a runtime directory while it starts (to tell whether it runs
// in a sandbox), and without XDG_RUNTIME_DIR it warns and creates
// $TMPDIR/runtime-$USER for good. An empty private directory answers the
// question instead, only until Qt has made its platform, and is gone afterwards.
class PrivateRuntimeDirectory {
public:
    PrivateRuntimeDirectory() {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime && *runtime) return;
        const char* tmp = std::getenv("TMPDIR");
        for (const char* folder : {tmp && *tmp ? tmp : "/tmp", "/tmp"}) {
            std::string pattern = std::string(folder) + "/velquor-runtime-XXXXXX";
            if (!mkdtemp(pattern.data())) continue;
            m_path = pattern;
            ::setenv("XDG_RUNTIME_DIR", m_path.c_str(), 1);
            RemoveOnFailure(m_path.c_str());
            return;
        }
        // Neither folder takes it: Qt warns as it always did, nothing worse.
    }
    ~PrivateRuntimeDirectory() {
        if (m_path.empty()) return;
        RemoveOnFailure(nullptr);
        ::unsetenv("XDG_RUNTIME_DIR");
        ::rmdir(m_path.c_str());
    }
    PrivateRuntimeDirectory(const PrivateRuntimeDirectory&) = delete;
    PrivateRuntimeDirectory& operator=(const PrivateRuntimeDirectory&) = delete;

private:
    std::string m_path;
};

// The language of the program's texts, from its version block's translation
// (a Windows language id, whose low ten bits name the language).
QString ResourceLanguage() {
    const VersionInfo* version = GetResources().version;
    if (!version) return {};
    switch (version->translationLanguage & 0x3FF) {
    case 0x11: return QStringLiteral("ja");
    default: return {};
    }
}

}  // namespace

// What remains of starting once Qt has made its platform: QApplication's
// constructor calls PlatformMade before it finishes.
struct QtApplication::Starting {
    std::unique_ptr<PrivateRuntimeDirectory> runtime;
    std::jthread fontConfiguration;
    std::jthread* fontList = nullptr;
};

QtApplication::Starting* QtApplication::s_starting = nullptr;

void QtApplication::PlatformMade() {
    Starting* starting = std::exchange(s_starting, nullptr);
    if (!starting) return;
    // Qt has connected to the display and looked for the runtime directory.
    // Once the font configuration is read, no helper thread of the layer runs
    // while the environment and the locale change (and Qt's reader of the
    // display's events reads neither).
    starting->fontConfiguration.join();
    starting->runtime.reset();
    // Qt has taken the user's locale; numbers are always formatted the C way.
    std::setlocale(LC_NUMERIC, "C");
    // Before it looks up the first font, Qt lists every installed one (a
    // millisecond or two); a helper thread makes the list while Qt finishes
    // starting, the translation is loaded and the main window built, and a
    // font looked up meanwhile waits for it under Qt's own lock.
    *starting->fontList = std::jthread([] { QFontDatabase::families(); });
}

QtApplication::QtApplication(int& argc, char** argv) {
    InstallQtMessageLog();
    SkipSessionBusLaunchThatCannotSucceed();
    Starting starting;
    // Set before the helper thread starts and unset after it has ended: the
    // font configuration reads the environment, and changing the environment
    // while another thread reads it can crash the reader.
    starting.runtime = std::make_unique<PrivateRuntimeDirectory>();
    // Reading the font configuration takes several milliseconds; it runs on a
    // helper thread while Qt connects to the display, and is done before the
    // first font is looked up.
    starting.fontConfiguration = std::jthread(LoadFontConfiguration);
    starting.fontList = &m_fontList;
    s_starting = &starting;
    [[maybe_unused]] static const bool registered = [] {
        qAddPreRoutine(&QtApplication::PlatformMade);
        return true;
    }();
    m_app = std::make_unique<QApplication>(argc, argv);
    PlatformMade();  // in case Qt did not call it
    CloseDisplayCheck();
    // Without the translation file Qt's texts stay English; nothing else changes.
    const QString language = ResourceLanguage();
    auto translator = std::make_unique<QTranslator>();
    if (!language.isEmpty() &&
        translator->load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator.get());
        m_translator = std::move(translator);
    }
    QApplication::setFont(TemplateFont(L"MS UI Gothic", 9, 0));
}

QtApplication::~QtApplication() {
    if (m_fontList.joinable()) m_fontList.join();
    m_translator.reset();
    m_app.reset();
    FlushQtMessageLog();
}

}  // namespace afx
