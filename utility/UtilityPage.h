#pragma once
// A page of the settings sheet that edits part of the settings: it starts from the sheet's
// saved settings and is marked modified while what it shows differs from them.
#include "framework/PropertyPage.h"

class CUtilitySheet;

class CUtilityPage : public fw::CPropertyPage {
public:
    explicit CUtilityPage(UINT templateId) : fw::CPropertyPage(templateId) {}

protected:
    CUtilitySheet& Sheet() const;
    // Whether the values shown differ from the saved settings.
    virtual bool IsChanged() const = 0;
    // Reads the controls back and marks the page modified while it differs.
    void OnChange();
    // The seconds to store for a minutes field: the saved seconds while it still shows
    // their whole minutes, so that seconds that are no whole number of minutes stay.
    static int SecondsFromMinutes(int minutes, int savedSeconds);
};
