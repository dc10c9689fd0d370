// The application object: prepares the user-interface services, runs the
// main window modally and ends the program when it closes.
#pragma once

#include "framework/WinApp.h"

class CVelquorApp : public CWinApp {
public:
    CVelquorApp();

    BOOL InitInstance() override;
    const afx::MessageMap* GetMessageMap() const override;
};

extern CVelquorApp theApp;
