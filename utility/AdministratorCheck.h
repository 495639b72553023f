#pragma once
// Whether the user may run the utility: an administrator. Test builds link a stand-in
// (utility/sim) that can answer no, since under Wine the user always is one.
bool IsUtilityUserAdministrator();
