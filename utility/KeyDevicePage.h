#pragma once
// The key page: the registered keys and whether any one or all of them unlock. Keys are
// added from the attached devices while Brontal's automatic locks wait, and deleted with a
// confirmation; the last key always stays. The page changes only its own copy of the list.
#include "common/KeyDevice.h"
#include "usbkey/KeyListCtrl.h"
#include "utility/UtilityPage.h"

class CKeyDevicePage : public CUtilityPage {
public:
    CKeyDevicePage();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD code, WORD id, HWND control) override;
    bool OnNotify(NMHDR& header, LRESULT& result) override;
    void DoDataExchange(fw::CDataExchange& dx) override;
    BOOL OnApply() override;

private:
    bool IsChanged() const override;
    // Delete is offered only while some, but not all, of two or more keys are selected.
    void OnKeyListChanged();
    void OnAddKey();
    void OnDeleteKey();
    void ShowKeys();

    CKeyListCtrl m_keyList;
    CKeyDeviceList m_keys;
    int m_keyTypeChoice = 0;  // 0: any one key (KeyType 1), 1: all keys (KeyType 2)
};
