#include "resident/wizard/DeviceInitPage.h"

#include "resident/wizard/InitWizard.h"
#include "resident/wizard/WizardResource.h"
#include "usbkey/FilterUsbCheckThread.h"

#include <algorithm>

CDeviceInitPage::CDeviceInitPage() : fw::CPropertyPage(IDD_DEVICE_INIT) {}

CInitWizard& CDeviceInitPage::Wizard() const
{
    return *static_cast<CInitWizard*>(GetParentSheet());
}

INT_PTR CDeviceInitPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case usbkey::UM_DEVICE_LIST_CHANGED:
        OnDeviceListChanged();
        return Result(0);
    case WM_DESTROY:
        // However the page goes (Cancel included), the worker must not post to it again.
        UnregisterFromWorker();
        return FALSE;
    default:
        return fw::CPropertyPage::OnMessage(message, wParam, lParam);
    }
}

BOOL CDeviceInitPage::OnInitDialog()
{
    m_picker.Attach(GetSafeHwnd(), IDC_HARDWARE_LIST, IDC_DEVICE_TREE);
    return fw::CPropertyPage::OnInitDialog();
}

void CDeviceInitPage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_PRODUCT_ID, m_shown.productId);
    fw::DDX_Text(dx, IDC_SERIAL_NUMBER, m_shown.serialNumber);
    fw::DDX_Text(dx, IDC_VENDOR_ID, m_shown.vendorId);
}

bool CDeviceInitPage::OnNotify(NMHDR& header, LRESULT& result)
{
    if (!m_picker.IsSelectionChange(header))
        return false;
    RefreshSelection();
    result = 0;
    return true;
}

BOOL CDeviceInitPage::OnSetActive()
{
    m_picker.Clear();
    SetWizardButtons(0);
    m_shown = {};
    UpdateData(false);
    RegisterWithWorker();
    return TRUE;
}

BOOL CDeviceInitPage::OnKillActive()
{
    UnregisterFromWorker();
    return fw::CPropertyPage::OnKillActive();
}

void CDeviceInitPage::OnDeviceListChanged()
{
    if (usbkey::CFilterUsbCheckThread* usb = Wizard().UsbCheckThread())
        m_picker.Rebuild(*usb);
    RefreshSelection();
}

void CDeviceInitPage::RefreshSelection()
{
    SetWizardButtons(m_picker.CheckedCount() > 0 ? PSWIZB_NEXT : 0);
    m_shown = m_picker.ShowSelection();
    UpdateData(false);
}

LRESULT CDeviceInitPage::OnWizardNext()
{
    CKeyDeviceList& keys = Wizard().Setting().KeyDevices;
    keys = m_picker.CheckedKeys();
    const bool anySerial =
        std::any_of(keys.begin(), keys.end(), [](const CKeyDevice& key) { return !key.m_serialNumber.empty(); });
    if (keys.empty())
        return -1;
    if (!anySerial &&
        ShowWizardMessage(GetSheetHwnd(), IDS_KEYS_WITHOUT_SERIAL, MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
        return -1;
    UnregisterFromWorker();
    return 0;
}

void CDeviceInitPage::RegisterWithWorker()
{
    usbkey::CFilterUsbCheckThread* usb = Wizard().UsbCheckThread();
    if (!usb)
        return;
    usb->AddNotifyWindow(GetSafeHwnd(), usbkey::UM_DEVICE_LIST_CHANGED);
    usb->RequestCheck();
}

void CDeviceInitPage::UnregisterFromWorker()
{
    usbkey::CFilterUsbCheckThread* usb = Wizard().UsbCheckThread();
    if (usb && GetSafeHwnd())
        usb->RemoveNotifyWindow(GetSafeHwnd());
}
