#include "usbkey/DevicePicker.h"

#include "usbkey/FilterUsbCheckThread.h"
#include "usbkey/KeyListCtrl.h"

void CDevicePicker::Attach(HWND dialog, int hardwareListId, int deviceTreeId)
{
    m_hardwareListId = hardwareListId;
    m_deviceTree.SubclassDlgItem(deviceTreeId, dialog);
    m_hardwareList.SubclassDlgItem(hardwareListId, dialog);
    m_hardwareList.InitColumns();
}

void CDevicePicker::Rebuild(const usbkey::CFilterUsbCheckThread& worker)
{
    worker.GetDeviceList(m_devices);
    FillRows(&m_devices);
}

void CDevicePicker::Clear()
{
    FillRows(nullptr);
    m_deviceTree.SetDeviceTree(nullptr);
}

void CDevicePicker::FillRows(const CUsbDeviceList* devices)
{
    m_fillingRows = true;
    m_hardwareList.SetDevices(devices);
    m_fillingRows = false;
}

bool CDevicePicker::IsSelectionChange(const NMHDR& header) const
{
    return !m_fillingRows && header.idFrom == static_cast<UINT_PTR>(m_hardwareListId) &&
           header.code == LVN_ITEMCHANGED && (reinterpret_cast<const NMLISTVIEW&>(header).uChanged & LVIF_STATE);
}

const CUsbDeviceEntry* CDevicePicker::DeviceOfRow(int row) const
{
    const LPARAM index = m_hardwareList.GetItemData(row);
    if (index < 0 || static_cast<std::size_t>(index) >= m_devices.GetCount())
        return nullptr;
    return &*(m_devices.begin() + index);
}

SDeviceIdentityText CDevicePicker::ShowSelection()
{
    const int row = m_hardwareList.GetNextItem(-1, LVNI_SELECTED);
    const CUsbDeviceEntry* device = row >= 0 ? DeviceOfRow(row) : nullptr;
    m_deviceTree.SetDeviceTree(device ? &device->m_names : nullptr);
    if (!device)
        return {};
    return {FormatDeviceId(device->m_vendorId), FormatDeviceId(device->m_productId), device->m_serialNumber};
}

CKeyDeviceList CDevicePicker::CheckedKeys() const
{
    CKeyDeviceList keys;
    for (int row = 0, rows = m_hardwareList.GetItemCount(); row < rows; ++row)
        if (const CUsbDeviceEntry* device = m_hardwareList.GetCheck(row) ? DeviceOfRow(row) : nullptr)
            keys.emplace_back(device->m_vendorId, device->m_productId, device->m_serialNumber);
    return keys;
}
