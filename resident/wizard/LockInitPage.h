#pragma once
// The wizard's lock conditions page. It starts from its own values, not from the
// settings record, and writes them to the record on Next.
#include "framework/PropertyPage.h"

class CInitWizard;

class CLockInitPage : public fw::CPropertyPage {
public:
    CLockInitPage();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnSetActive() override;
    LRESULT OnWizardNext() override;

private:
    CInitWizard& Wizard() const;
    // The wait time can be set only while the idle lock is checked.
    void OnNoInputClicked();

    int m_noInputLock = 1;
    int m_keyRemovedLock = 1;
    int m_waitMinutes = 10;
    int m_startupLock = 1;
};
