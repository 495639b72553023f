#pragma once
// The wizard's summary page: the registered keys and the chosen conditions; Finish
// writes the settings file.
#include "framework/PropertyPage.h"
#include "usbkey/KeyListCtrl.h"

#include <string>

class CInitWizard;

class CFinishInitPage : public fw::CPropertyPage {
public:
    CFinishInitPage();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;

private:
    CInitWizard& Wizard() const;
    void ShowSummary();

    CKeyListCtrl m_keyList;
    std::string m_keyRemovedLine;
    std::string m_passwordLine;
    std::string m_noInputLine;
    std::string m_startupLine;
    std::string m_utilityLine;
};
