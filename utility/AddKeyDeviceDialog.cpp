#include "utility/AddKeyDeviceDialog.h"

#include "usbkey/FilterUsbCheckThread.h"
#include "usbkey/KeyListCtrl.h"
#include "utility/resource.h"

CAddKeyDeviceDialog::CAddKeyDeviceDialog(const CKeyDeviceList& registeredKeys,
                                         usbkey::CFilterUsbCheckThread& usbCheckThread, HWND parent)
    : fw::CDialog(IDD_ADD_KEY, parent), m_usbCheckThread(usbCheckThread)
{
    m_hardwareList.HideList() = registeredKeys;
}

BOOL CAddKeyDeviceDialog::OnInitDialog()
{
    m_deviceTree.SubclassDlgItem(IDC_DEVICE_TREE, GetSafeHwnd());
    m_hardwareList.SubclassDlgItem(IDC_HARDWARE_LIST, GetSafeHwnd());
    m_hardwareList.InitColumns();
    fw::CDialog::OnInitDialog();
    m_deviceTree.SetDeviceTree(nullptr);
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
    fw::DDX_Text(dx, IDC_KEY_PRODUCT_ID, m_productId);
    fw::DDX_Text(dx, IDC_KEY_SERIAL_NUMBER, m_serialNumber);
    fw::DDX_Text(dx, IDC_KEY_VENDOR_ID, m_vendorId);
}

bool CAddKeyDeviceDialog::OnNotify(NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_HARDWARE_LIST || header.code != LVN_ITEMCHANGED)
        return false;
    // While the rows are rebuilt, one refresh follows at the end instead of one per row.
    if (!m_fillingRows && (reinterpret_cast<const NMLISTVIEW&>(header).uChanged & LVIF_STATE))
        OnHardwareListChanged();
    result = 0;
    return true;
}

void CAddKeyDeviceDialog::OnDeviceListChanged()
{
    m_usbCheckThread.GetDeviceList(m_devices);
    m_fillingRows = true;
    m_hardwareList.SetDevices(&m_devices);
    m_fillingRows = false;
    OnHardwareListChanged();
}

const CUsbDeviceEntry* CAddKeyDeviceDialog::DeviceOfRow(int row) const
{
    const LPARAM index = m_hardwareList.GetItemData(row);
    if (index < 0 || static_cast<std::size_t>(index) >= m_devices.GetCount())
        return nullptr;
    return &*(m_devices.begin() + index);
}

void CAddKeyDeviceDialog::OnHardwareListChanged()
{
    EnableWindow(GetDlgItem(IDOK), m_hardwareList.GetCheckedCount() != 0);
    m_productId.clear();
    m_serialNumber.clear();
    m_vendorId.clear();
    m_deviceTree.SetDeviceTree(nullptr);
    const int row = m_hardwareList.GetNextItem(-1, LVNI_SELECTED);
    if (const CUsbDeviceEntry* device = row >= 0 ? DeviceOfRow(row) : nullptr) {
        m_serialNumber = device->m_serialNumber;
        m_productId = FormatDeviceId(device->m_productId);
        m_vendorId = FormatDeviceId(device->m_vendorId);
        m_deviceTree.SetDeviceTree(&device->m_names);
    }
    UpdateData(false);
}

void CAddKeyDeviceDialog::OnOK()
{
    m_result.clear();
    for (int row = 0, rows = m_hardwareList.GetItemCount(); row < rows; ++row)
        if (const CUsbDeviceEntry* device = m_hardwareList.GetCheck(row) ? DeviceOfRow(row) : nullptr)
            m_result.emplace_back(device->m_vendorId, device->m_productId, device->m_serialNumber);
    if (!m_result.empty())
        EndDialog(IDOK);
}
