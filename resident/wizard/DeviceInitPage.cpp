#include "resident/wizard/DeviceInitPage.h"

#include "resident/wizard/InitWizard.h"
#include "resident/wizard/WizardResource.h"
#include "usbkey/FilterUsbCheckThread.h"
#include "usbkey/KeyListCtrl.h"

#include <vector>

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
    case WM_DEVICECHANGE:
        if (usbkey::CFilterUsbCheckThread* usb = Wizard().UsbCheckThread())
            usb->RequestCheck();
        return FALSE;
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
    m_deviceTree.SubclassDlgItem(IDC_DEVICE_TREE, GetSafeHwnd());
    m_hardwareList.SubclassDlgItem(IDC_HARDWARE_LIST, GetSafeHwnd());
    m_hardwareList.InitColumns();
    return fw::CPropertyPage::OnInitDialog();
}

void CDeviceInitPage::DoDataExchange(fw::CDataExchange& dx)
{
    fw::DDX_Text(dx, IDC_PRODUCT_ID, m_productId);
    fw::DDX_Text(dx, IDC_SERIAL_NUMBER, m_serialNumber);
    fw::DDX_Text(dx, IDC_VENDOR_ID, m_vendorId);
}

bool CDeviceInitPage::OnNotify(NMHDR& header, LRESULT& result)
{
    if (header.idFrom != IDC_HARDWARE_LIST || header.code != LVN_ITEMCHANGED)
        return false;
    // While the rows are rebuilt, one refresh follows at the end instead of one per row.
    if (!m_fillingRows && (reinterpret_cast<const NMLISTVIEW&>(header).uChanged & LVIF_STATE))
        RefreshSelection();
    result = 0;
    return true;
}

void CDeviceInitPage::FillRows(const CUsbDeviceList* devices)
{
    m_fillingRows = true;
    m_hardwareList.SetDevices(devices);
    m_fillingRows = false;
}

BOOL CDeviceInitPage::OnSetActive()
{
    FillRows(nullptr);
    SetWizardButtons(0);
    m_productId.clear();
    m_serialNumber.clear();
    m_vendorId.clear();
    UpdateData(false);
    m_deviceTree.SetDeviceTree(nullptr);
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
        usb->GetDeviceList(m_devices);
    FillRows(&m_devices);
    RefreshSelection();
}

void CDeviceInitPage::RefreshSelection()
{
    SetWizardButtons(m_hardwareList.GetCheckedCount() > 0 ? PSWIZB_NEXT : 0);
    m_productId.clear();
    m_serialNumber.clear();
    m_vendorId.clear();
    m_deviceTree.SetDeviceTree(nullptr);
    const int row = m_hardwareList.GetNextItem(-1, LVNI_SELECTED);
    if (row >= 0) {
        const LPARAM index = m_hardwareList.GetItemData(row);
        if (index >= 0 && static_cast<std::size_t>(index) < m_devices.GetCount()) {
            const CUsbDeviceEntry& device = *(m_devices.begin() + index);
            m_serialNumber = device.m_serialNumber;
            m_productId = FormatDeviceId(device.m_productId);
            m_vendorId = FormatDeviceId(device.m_vendorId);
            m_deviceTree.SetDeviceTree(&device.m_names);
        }
    }
    UpdateData(false);
}

LRESULT CDeviceInitPage::OnWizardNext()
{
    CKeyDeviceList& keys = Wizard().Setting().KeyDevices;
    keys.clear();
    bool anySerial = false;
    for (int row = 0, rows = m_hardwareList.GetItemCount(); row < rows; ++row) {
        const LPARAM index = m_hardwareList.GetItemData(row);
        if (!m_hardwareList.GetCheck(row) || index < 0 || static_cast<std::size_t>(index) >= m_devices.GetCount())
            continue;
        const CUsbDeviceEntry& device = *(m_devices.begin() + index);
        keys.emplace_back(device.m_vendorId, device.m_productId, device.m_serialNumber);
        anySerial = anySerial || !device.m_serialNumber.empty();
    }
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
