#pragma once
// The lock-screen page: the message and picture of the lock screen, the screen saver and
// its minutes, and the alarm switch with the alarm settings the detail dialog edits.
#include <string>

#include "common/LockSetting.h"
#include "utility/UtilityPage.h"

class CLockPage : public CUtilityPage {
public:
    CLockPage();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnApply() override;

private:
    bool IsChanged() const override;
    void OnScreenSaverCheck();
    void OnAlarmCheck();
    void OnBrowsePicture();
    void OnAlarmDetails();

    std::string m_picturePath;
    std::string m_message;
    int m_useScreenSaver = 0;
    int m_screenSaverMinutes = 10;
    CAlarmSetting m_alarm;
};
