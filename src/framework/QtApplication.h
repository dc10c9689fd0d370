// The Qt application as every part of the program needs it.
#pragma once

#include <memory>
#include <thread>

class QApplication;
class QTranslator;

namespace afx {

/// A QApplication with the layer's settings: Qt's own texts (edit menus,
/// standard buttons) in the language of the program's resources, numbers
/// formatted the C way, the template font as the default, Qt's warnings
/// through the layer's message log, and no runtime directory left behind.
/// The resources must be set before it is made.
class QtApplication {
public:
    QtApplication(int& argc, char** argv);
    ~QtApplication();
    QtApplication(const QtApplication&) = delete;
    QtApplication& operator=(const QtApplication&) = delete;

private:
    struct Starting;
    static Starting* s_starting;
    static void PlatformMade();

    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<QTranslator> m_translator;
    std::jthread m_fontList;  // Qt's list of installed fonts being made
};

}  // namespace afx
