#include "display/HideDialog.h"
#include "display/PictureStatic.h"
#include "display/RollOverBtn.h"

#include "DisplayTest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

// Writes a 24-bit picture of one colour and removes it at the end.
class TempBitmapFile {
public:
    TempBitmapFile(int width, int height)
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "picture-" + std::to_string(GetCurrentProcessId()) + ".bmp";
        const int row = ((width * 3 + 3) / 4) * 4;
        BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB,
                                 static_cast<DWORD>(row * height), 0, 0, 0, 0};
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + info.biSizeImage;
        std::vector<char> pixels(info.biSizeImage, 0x40);
        FILE* out = std::fopen(m_path.c_str(), "wb");
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
        std::fwrite(pixels.data(), 1, pixels.size(), out);
        std::fclose(out);
    }
    ~TempBitmapFile() { DeleteFileA(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// A borderless top-level window with one static child of the given size.
class PictureHost {
public:
    PictureHost(int width, int height)
    {
        m_window.reset(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                       nullptr, nullptr));
        m_control = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, width, height,
                                    m_window.get(), nullptr, nullptr, nullptr);
    }
    HWND Control() const { return m_control; }

private:
    fw::unique_hwnd m_window;
    HWND m_control;
};

bool IsLiveBitmap(HBITMAP bitmap)
{
    BITMAP info;
    return GetObjectA(bitmap, sizeof info, &info) != 0;
}

TEST(PictureStatic, MissingFileLeavesTheControlEmpty)
{
    PictureHost host(200, 100);
    CPictureStatic picture;
    ASSERT_TRUE(picture.SubclassWindow(host.Control()));
    ASSERT_TRUE(picture.LoadFromResource(IDB_TEST_PICTURE, true));
    EXPECT_FALSE(picture.LoadFromFile("C:\\no such folder\\none.bmp", true));
    EXPECT_EQ(nullptr, picture.GetBitmap());
    EXPECT_EQ(0, picture.CacheSize().cx);
}

TEST(PictureStatic, CacheFollowsTheClientSize)
{
    TempBitmapFile file(640, 480);
    PictureHost host(1920, 1080);
    CPictureStatic picture;
    ASSERT_TRUE(picture.SubclassWindow(host.Control()));
    ASSERT_TRUE(picture.LoadFromFile(file.Path(), true));
    EXPECT_EQ(1920, picture.CacheSize().cx);
    EXPECT_EQ(1080, picture.CacheSize().cy);

    SetWindowPos(host.Control(), nullptr, 0, 0, 1280, 1024, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(1280, picture.CacheSize().cx);
    EXPECT_EQ(1024, picture.CacheSize().cy);

    SetWindowPos(host.Control(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(0, picture.CacheSize().cx);

    ASSERT_TRUE(picture.LoadFromFile(file.Path(), false));  // stretched at each paint instead
    EXPECT_EQ(0, picture.CacheSize().cx);
}

TEST(PictureStatic, AttachedBitmapSurvivesClearingAndOwnedOneDoesNot)
{
    PictureHost host(100, 100);
    CPictureStatic picture;
    ASSERT_TRUE(picture.SubclassWindow(host.Control()));

    const HBITMAP callers = CreateBitmap(8, 8, 1, 32, nullptr);
    ASSERT_TRUE(picture.SetBitmap(callers, true));
    picture.ClearPicture(true);
    EXPECT_TRUE(IsLiveBitmap(callers));
    DeleteObject(callers);

    ASSERT_TRUE(picture.LoadFromResource(IDB_TEST_PICTURE, true));
    const HBITMAP loaded = picture.GetBitmap();
    EXPECT_TRUE(IsLiveBitmap(loaded));
    picture.ClearPicture(false);
    EXPECT_FALSE(IsLiveBitmap(loaded));
    EXPECT_FALSE(picture.SetBitmap(nullptr, true));
}

// Runs `step` inside a hidden modal run of the controls dialog.
class ControlsDialog : public CHideDialog {
public:
    explicit ControlsDialog(std::function<void(ControlsDialog&)> step)
        : CHideDialog(IDD_CONTROLS, nullptr), m_step(std::move(step))
    {
    }
    bool everVisible = false;

protected:
    BOOL OnInitDialog() override
    {
        SetTimer(GetSafeHwnd(), 1, 30, nullptr);
        return TRUE;
    }
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER) {
            KillTimer(GetSafeHwnd(), 1);
            everVisible = IsWindowVisible(GetSafeHwnd()) != FALSE;
            m_step(*this);
            return TRUE;
        }
        if (message == WM_SHOWWINDOW && wParam)
            everVisible = true;
        return CHideDialog::OnMessage(message, wParam, lParam);
    }

private:
    std::function<void(ControlsDialog&)> m_step;
};

TEST(HideDialog, ModalRunNeverShowsTheDialogAndReturnsItsResult)
{
    ControlsDialog dialog([](ControlsDialog& d) { d.EndDialog(2); });
    EXPECT_EQ(2, dialog.DoModal());
    EXPECT_FALSE(dialog.everVisible);
}

// The colour at (x, y) of a bitmap.
COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

// Draws the button in the given state and gives the colour drawn at (24, 24).
COLORREF DrawnPixel(CRollOverBtn& button, UINT state)
{
    const HDC screen = GetDC(nullptr);
    const HBITMAP canvas = CreateCompatibleBitmap(screen, 48, 48);
    ReleaseDC(nullptr, screen);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, canvas);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = button.GetSafeHwnd();
    item.hDC = dc;
    item.rcItem = {0, 0, 48, 48};
    LRESULT result = 0;
    button.OnChildNotify(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item), result);
    const COLORREF colour = GetPixel(dc, 24, 24);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(canvas);
    return colour;
}

COLORREF ResourcePixel(const char* name)
{
    const HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
    const COLORREF colour = PixelOf(bitmap, 24, 24);
    DeleteObject(bitmap);
    return colour;
}

TEST(RollOverBtn, ImagesFollowHoverPressAndLeave)
{
    const COLORREF normal = ResourcePixel("ROLL_U");
    const COLORREF pressed = ResourcePixel("ROLL_D");
    const COLORREF rollOver = ResourcePixel("ROLL_R");
    ASSERT_NE(normal, pressed);
    ASSERT_NE(normal, rollOver);

    ControlsDialog dialog([&](ControlsDialog& d) {
        CRollOverBtn roll, plain, bare;
        ASSERT_TRUE(roll.AutoLoad(IDC_ROLL_BUTTON, d.GetSafeHwnd()));
        ASSERT_TRUE(plain.AutoLoad(IDC_PLAIN_BUTTON, d.GetSafeHwnd()));
        EXPECT_FALSE(bare.AutoLoad(IDC_BARE_BUTTON, d.GetSafeHwnd()));

        RECT r = {};
        GetWindowRect(roll.GetSafeHwnd(), &r);
        EXPECT_EQ(48, r.right - r.left);  // sized to the normal image
        EXPECT_EQ(48, r.bottom - r.top);

        EXPECT_EQ(normal, DrawnPixel(roll, 0));
        SendMessageA(roll.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        SendMessageA(plain.GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        EXPECT_TRUE(roll.IsHovering());
        EXPECT_EQ(rollOver, DrawnPixel(roll, 0));
        EXPECT_EQ(pressed, DrawnPixel(roll, ODS_SELECTED));
        EXPECT_EQ(normal, DrawnPixel(plain, ODS_FOCUS));  // no roll-over or focus image

        SendMessageA(roll.GetSafeHwnd(), WM_MOUSELEAVE, 0, 0);
        EXPECT_FALSE(roll.IsHovering());
        EXPECT_EQ(normal, DrawnPixel(roll, 0));
        d.EndDialog(1);
    });
    EXPECT_EQ(1, dialog.DoModal());
}

} // namespace
