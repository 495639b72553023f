#include "utility/UtilityPage.h"

#include "utility/UtilitySheet.h"

CUtilitySheet& CUtilityPage::Sheet() const
{
    return *static_cast<CUtilitySheet*>(GetParentSheet());
}

int CUtilityPage::SecondsFromMinutes(int minutes, int savedSeconds)
{
    return minutes == savedSeconds / 60 ? savedSeconds : minutes * 60;
}

void CUtilityPage::OnChange()
{
    UpdateData(true);
    SetModified(IsChanged());
}
