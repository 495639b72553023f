#include "utility/AddKeyDeviceDialog.h"

#include "usbkey/FilterUsbCheckThread.h"
#include "utility/resource.h"

CAddKeyDeviceDialog::CAddKeyDeviceDialog(const CKeyDeviceList& registeredKeys,
                                         usbkey::CFilterUsbCheckThread& usbCheckThread, HWND parent)
    : fw::CDialog(IDD_ADD_KEY, parent), m_usbCheckThread(usbCheckThread)
{
    m_picker.HideList() = registeredKeys;
}

BOOL CAddKeyDeviceDialog::OnInitDialog()
{
    m_picker.Attach(GetSafeHwnd(), IDC_HARDWARE_LIST, IDC_DEVICE_TREE);
    fw::CDialog::OnInitDialog();
    EnableWindow(GetDlgItem(IDOK), FALSE);
    // The window stays registered: the worker drops it once it is gone.
    m_usbCheckThread.AddNotifyWindow(GetSafeHwnd(), usbkey::UM_DEVICE_LIST_CHANGED);
    m_usbCheckThread.RequestCheck();
    return TRUE;
}

INT_PTR CAddKeyDeviceDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == usbkey::UM_DEVICE_LIST_CHANGED) {
        OnDeviceListChanged();
        return Result(0);
    }
    return fw::CDialog::OnMessage(message, wParam, lParam);
}

void CAddKeyDeviceDialog::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_KEY_LOCATION, m_location);
    fw::DDX_Text(dx, IDC_KEY_PRODUCT_ID, m_shown.productId);
    fw::DDX_Text(dx, IDC_KEY_SERIAL_NUMBER, m_shown.serialNumber);
    fw::DDX_Text(dx, IDC_KEY_VENDOR_ID, m_shown.vendorId);
}

bool CAddKeyDeviceDialog::OnNotify(NMHDR& header, LRESULT& result)
{
    if (!m_picker.IsSelectionChange(header))
        return false;
    OnHardwareListChanged();
    result = 0;
    return true;
}

void CAddKeyDeviceDialog::OnDeviceListChanged()
{
    m_picker.Rebuild(m_usbCheckThread);
    OnHardwareListChanged();
}

void CAddKeyDeviceDialog::OnHardwareListChanged()
{
    EnableWindow(GetDlgItem(IDOK), m_picker.CheckedCount() != 0);
    m_shown = m_picker.ShowSelection();
    UpdateData(false);
}

void CAddKeyDeviceDialog::OnOK()
{
    m_result = m_picker.CheckedKeys();
    if (!m_result.empty())
        EndDialog(IDOK);
}
