#pragma once
// The alarm details: how many keys or clicks within how many seconds, how many wrong
// passwords, how long the alarm plays, its pictures and sound. OK writes them into the
// given alarm settings; Cancel leaves those untouched.
#include <string>

#include "common/LockSetting.h"
#include "framework/Dialog.h"

class CAlarmDetailDialog : public fw::CDialog {
public:
    CAlarmDetailDialog(CAlarmSetting& target, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    void OnOK() override;

private:
    // False, after telling the user, at the first number outside 1..9999.
    bool Validate();
    // Picture 2 can be set only while the pictures alternate.
    void OnChangeBmpCheck();
    void Browse(std::string& path, UINT filterTextId, const char* pattern);

    CAlarmSetting& m_target;
    CAlarmSetting m_values;
};
