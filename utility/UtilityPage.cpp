#include "utility/UtilityPage.h"

#include "utility/UtilitySheet.h"

CUtilitySheet& CUtilityPage::Sheet() const
{
    return *static_cast<CUtilitySheet*>(GetParentSheet());
}

void CUtilityPage::OnChange()
{
    UpdateData(true);
    SetModified(IsChanged());
}
