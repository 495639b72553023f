#pragma once
// A dialog that runs modally without its modal loop ever showing it: the window exists,
// receives messages and holds the message loop, and stays invisible until the program
// itself shows it (or its template carries WS_VISIBLE).
#include "framework/Dialog.h"

class CHideDialog : public fw::CDialog {
public:
    CHideDialog(UINT templateId, HWND parent) : CDialog(templateId, parent) {}

    // The dialog's end result; -1 when the template cannot be loaded or an exception
    // ends the run.
    INT_PTR DoModal() override { return RunModal(false); }
};
