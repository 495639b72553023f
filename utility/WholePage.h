#pragma once
// The general page: when to lock (key removal, start-up and resume, idle time in minutes).
#include "utility/UtilityPage.h"

class CWholePage : public CUtilityPage {
public:
    CWholePage();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnApply() override;

private:
    bool IsChanged() const override;
    // The wait time can be set only while the idle lock is checked.
    void UpdateControls();

    int m_lockKeyRemoved = 0;
    int m_lockNoInput = 0;
    int m_waitMinutes = 1;
    int m_lockStartup = 0;
};
