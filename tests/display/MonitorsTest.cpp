#include "display/CoverDialogs.h"
#include "display/DisplayMonitors.h"
#include "display/DisplayResource.h"
#include "display/StretchedPictures.h"
#include "display/WinDisplayPlatform.h"
#include "display/sim/SimDisplayMachine.h"

#include "ModalScript.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace {

bool SameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

TEST(DisplayMonitors, OneRealMonitorIsThePrimaryScreen)
{
    display::CWinMonitorPlatform platform;
    CDisplayMonitors monitors(platform);
    std::vector<MONITORINFO> list(3);
    EXPECT_TRUE(monitors.GetMonitors(list));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(sizeof(MONITORINFO), list[0].cbSize);
    EXPECT_EQ(static_cast<DWORD>(MONITORINFOF_PRIMARY), list[0].dwFlags);
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    EXPECT_TRUE(SameRect(screen, list[0].rcMonitor));
    RECT primary = {};
    EXPECT_TRUE(monitors.GetPrimaryMonitorRect(primary));
    EXPECT_TRUE(SameRect(screen, primary));
}

struct MonitorCase {
    const char* name;
    const char* scenario;
    std::vector<RECT> listed;
    RECT primary;
    bool primaryFound;
};

void PrintTo(const MonitorCase& c, std::ostream* out)
{
    *out << c.name;
}

class SimulatedMonitors : public testing::TestWithParam<MonitorCase> {};

TEST_P(SimulatedMonitors, ListAndPrimary)
{
    const MonitorCase& c = GetParam();
    display::CSimDisplayMachine machine;
    std::string error;
    ASSERT_TRUE(machine.Load(c.scenario, error)) << error;
    CDisplayMonitors monitors(machine);
    std::vector<MONITORINFO> list;
    EXPECT_TRUE(monitors.GetMonitors(list));
    ASSERT_EQ(c.listed.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i)
        EXPECT_TRUE(SameRect(c.listed[i], list[i].rcMonitor)) << i;
    RECT primary = {-1, -1, -1, -1};
    EXPECT_EQ(c.primaryFound, monitors.GetPrimaryMonitorRect(primary));
    EXPECT_TRUE(SameRect(c.primary, primary));
}

const char kThree[] =
    "monitor left=0 top=0 right=640 bottom=512 primary=1\n"
    "monitor left=640 top=0 right=1280 bottom=512\n"
    "monitor left=0 top=512 right=640 bottom=1024\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, SimulatedMonitors,
    testing::Values(
        MonitorCase{"One", "monitor right=800 bottom=600 primary=1\n", {{0, 0, 800, 600}}, {0, 0, 800, 600}, true},
        MonitorCase{"Three", kThree, {{0, 0, 640, 512}, {640, 0, 1280, 512}, {0, 512, 640, 1024}},
                    {0, 0, 640, 512}, true},
        // A monitor whose information cannot be read is left out, not listed as 0 x 0.
        MonitorCase{"FailedRecord",
                    "monitor right=640 bottom=512 primary=1\nmonitor left=640 right=1280 bottom=512 fail=1\n"
                    "monitor top=512 right=640 bottom=1024\n",
                    {{0, 0, 640, 512}, {0, 512, 640, 1024}}, {0, 0, 640, 512}, true},
        // Only flags of exactly 1 count as primary; without one, the screen size.
        MonitorCase{"NonePrimary",
                    "monitor left=640 right=1280 bottom=512 flags=3\nmonitor right=640 bottom=512\n"
                    "screen width=1280 height=1024\n",
                    {{640, 0, 1280, 512}, {0, 0, 640, 512}}, {0, 0, 1280, 1024}, false},
        MonitorCase{"FailedPrimary",
                    "monitor right=640 bottom=512 primary=1 fail=1\nscreen width=640 height=512\n",
                    {}, {0, 0, 640, 512}, false}),
    [](const testing::TestParamInfo<MonitorCase>& info) { return std::string(info.param.name); });

// A scenario file beside the test, removed at the end.
class ScenarioFile {
public:
    ScenarioFile()
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "display-" + std::to_string(GetCurrentProcessId()) + ".txt";
    }
    ~ScenarioFile() { DeleteFileA(m_path.c_str()); }
    void Write(const std::string& text) const
    {
        FILE* file = std::fopen(m_path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

TEST(DisplayMonitors, AMonitorPluggedInWhileRunningIsSeenAtTheNextCheck)
{
    ScenarioFile file;
    file.Write("monitor right=640 bottom=512 primary=1\n");
    display::CSimDisplayMachine machine;
    machine.WatchScenarioFile(file.Path());
    std::vector<MONITORINFO> list;
    CDisplayMonitors(machine).GetMonitors(list);
    EXPECT_EQ(1u, list.size());

    file.Write(kThree);
    CDisplayMonitors(machine).GetMonitors(list);
    EXPECT_EQ(3u, list.size());

    file.Write("monitor rigth=1\n");
    CDisplayMonitors(machine).GetMonitors(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ("line 1: unknown key \"rigth\"", machine.LastError());
}

// Writes a 24-bit picture of one colour and removes it at the end.
class TempBitmapFile {
public:
    TempBitmapFile(int width, int height, BYTE level)
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        m_path = std::string(folder) + "cover-" + std::to_string(GetCurrentProcessId()) + ".bmp";
        const int row = ((width * 3 + 3) / 4) * 4;
        BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, static_cast<DWORD>(row * height), 0, 0, 0, 0};
        BITMAPFILEHEADER header = {};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof header + sizeof info;
        header.bfSize = header.bfOffBits + info.biSizeImage;
        std::vector<char> pixels(info.biSizeImage, static_cast<char>(level));
        FILE* out = std::fopen(m_path.c_str(), "wb");
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
        std::fwrite(pixels.data(), 1, pixels.size(), out);
        std::fclose(out);
    }
    ~TempBitmapFile() { DeleteFileA(m_path.c_str()); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}

COLORREF ScreenPixel(int x, int y)
{
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The colour at (x, y) of a bitmap.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y)
{
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

// Covers on the further simulated monitors, as the lock display builds them: each covers
// its monitor with the picture, sampled from the screen.
TEST(PictureDialog, CoversEachFurtherMonitorWithThePicture)
{
    TempBitmapFile picture(64, 48, 0x40);
    display::CSimDisplayMachine machine;
    std::string error;
    ASSERT_TRUE(machine.Load(kThree, error));
    CCoverDialogs covers(machine);
    covers.Create(picture.Path());
    ASSERT_EQ(2u, covers.Count());
    for (std::size_t i = 0; i < covers.Count(); ++i) {
        RECT client = {};
        GetClientRect(GetDlgItem(covers.Window(i), IDC_COVER_PICTURE), &client);
        EXPECT_EQ(640, client.right);
        EXPECT_EQ(512, client.bottom);
    }
    const COLORREF grey = RGB(0x40, 0x40, 0x40);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(960, 256) == grey && ScreenPixel(320, 768) == grey; }));
}

// The covers of every lock share one stretch of the picture per size, made again only when
// the file changes; no file, or one that does not load, gives bitmap 131.
TEST(StretchedPictures, OneStretchPerFileAndSizeUntilTheFileChanges)
{
    CStretchedPictures pictures;
    const COLORREF grey = RGB(0x40, 0x40, 0x40);
    SharedBitmap first;
    {
        TempBitmapFile picture(64, 48, 0x40);
        first = pictures.Get(picture.Path(), 640, 512);
        ASSERT_TRUE(first);
        EXPECT_EQ(640, BitmapSize(first.get()).cx);
        EXPECT_EQ(512, BitmapSize(first.get()).cy);
        EXPECT_EQ(grey, BitmapPixel(first.get(), 320, 256));
        EXPECT_EQ(first, pictures.Get(picture.Path(), 640, 512));
        const SharedBitmap other = pictures.Get(picture.Path(), 800, 600);
        ASSERT_TRUE(other);
        EXPECT_NE(first, other);
        EXPECT_EQ(800, BitmapSize(other.get()).cx);
        EXPECT_EQ(first, pictures.Get(picture.Path(), 640, 512));
    }
    TempBitmapFile rewritten(32, 24, 0x80);  // the same path, written again
    const SharedBitmap fresh = pictures.Get(rewritten.Path(), 640, 512);
    ASSERT_TRUE(fresh);
    EXPECT_NE(first, fresh);
    EXPECT_EQ(RGB(0x80, 0x80, 0x80), BitmapPixel(fresh.get(), 320, 256));
    EXPECT_EQ(grey, BitmapPixel(first.get(), 320, 256));  // a cover still holding it keeps it

    for (const char* path : {"", "C:\\no such folder\\none.bmp"}) {
        const SharedBitmap own = pictures.Get(path, 640, 512);
        ASSERT_TRUE(own) << path;
        EXPECT_EQ(640, BitmapSize(own.get()).cx) << path;
        EXPECT_NE(grey, BitmapPixel(own.get(), 320, 256)) << path;
    }
    EXPECT_FALSE(pictures.Get("", 0, 512));
}

} // namespace
