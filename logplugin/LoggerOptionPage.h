#pragma once
// The plug-in's page in the log host's options window: one check box per event kind.
#include "framework/Dialog.h"
#include "logplugin/LoggerFilter.h"
#include "logplugin/resource.h"

class CLoggerOptionPage : public fw::CDialog {
public:
    CLoggerOptionPage(const CLoggerFilter& filter, HWND parent) : fw::CDialog(IDD_OPTION_PAGE, parent), m_filter(filter) {}

    // The check boxes' state, taken from the page.
    CLoggerFilter TakeFilter();

protected:
    void DoDataExchange(fw::CDataExchange& dx) override;

private:
    CLoggerFilter m_filter;
};
