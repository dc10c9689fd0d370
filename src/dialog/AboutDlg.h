// The About box, opened from the system menu.
#pragma once

#include "framework/Dialog.h"
#include "res/Resource.h"

class CAboutDlg : public CDialogEx {
public:
    CAboutDlg();
    ~CAboutDlg() override;

    const afx::MessageMap* GetMessageMap() const override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
};
