#pragma once
// The general page: when to lock (key removal, start-up and resume, idle time in minutes).
#include "framework/PropertyPage.h"

class CUtilitySheet;

class CWholePage : public fw::CPropertyPage {
public:
    CWholePage();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnApply() override;

private:
    CUtilitySheet& Sheet() const;
    bool IsChanged() const;
    void OnChange();
    // The wait time can be set only while the idle lock is checked.
    void UpdateControls();

    int m_lockKeyRemoved = 0;
    int m_lockNoInput = 0;
    int m_waitMinutes = 1;
    int m_lockStartup = 0;
};
