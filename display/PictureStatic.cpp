#include "display/PictureStatic.h"

namespace {

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

// A memory device context selected with one bitmap, restored and deleted at scope end.
class CMemoryDC {
public:
    CMemoryDC(HDC compatible, HBITMAP bitmap) : m_dc(CreateCompatibleDC(compatible))
    {
        if (m_dc && bitmap)
            m_old = SelectObject(m_dc, bitmap);
    }
    ~CMemoryDC()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        if (m_dc)
            DeleteDC(m_dc);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    bool Ready() const { return m_dc && m_old; }
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

} // namespace

HBITMAP StretchHalftone(HBITMAP picture, HDC dc, int width, int height)
{
    const SIZE size = BitmapSize(picture);
    if (width <= 0 || height <= 0 || size.cx <= 0 || size.cy <= 0)
        return nullptr;
    fw::unique_hgdiobj stretched(CreateCompatibleBitmap(dc, width, height));
    if (!stretched)
        return nullptr;
    {
        CMemoryDC source(dc, picture);
        CMemoryDC target(dc, static_cast<HBITMAP>(stretched.get()));
        if (!source.Ready() || !target.Ready())
            return nullptr;
        SetStretchBltMode(target.Get(), HALFTONE);
        SetBrushOrgEx(target.Get(), 0, 0, nullptr);
        if (!StretchBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, size.cx, size.cy, SRCCOPY))
            return nullptr;
    }  // the new bitmap is deselected before it is handed out
    return static_cast<HBITMAP>(stretched.release());
}

CPictureStatic::~CPictureStatic()
{
    ClearPicture(false);
}

bool CPictureStatic::SetBitmap(HBITMAP bitmap, bool cache)
{
    ClearPicture(false);
    m_picture = bitmap;
    m_owned = false;
    return ShowPicture(cache);
}

bool CPictureStatic::LoadFromFile(const std::string& path, bool cache)
{
    ClearPicture(false);
    m_picture = static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    m_owned = true;
    return ShowPicture(cache);
}

bool CPictureStatic::LoadFromResource(UINT id, bool cache)
{
    ClearPicture(false);
    m_picture = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    m_owned = true;
    return ShowPicture(cache);
}

void CPictureStatic::ClearPicture(bool redraw)
{
    if (m_picture && m_owned)
        DeleteObject(m_picture);
    m_picture = nullptr;
    m_owned = false;
    m_cache.reset();
    m_cached = false;
    if (redraw && GetSafeHwnd())
        InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
}

SIZE CPictureStatic::CacheSize() const
{
    return BitmapSize(static_cast<HBITMAP>(m_cache.get()));
}

bool CPictureStatic::ShowPicture(bool cache)
{
    if (!m_picture) {
        ClearPicture(false);
        return false;
    }
    m_cached = cache;
    if (cache && GetSafeHwnd()) {
        RECT client = {};
        GetClientRect(GetSafeHwnd(), &client);
        BuildCache(client.right - client.left, client.bottom - client.top);
    }
    if (GetSafeHwnd()) {
        InvalidateRect(GetSafeHwnd(), nullptr, TRUE);
        UpdateWindow(GetSafeHwnd());
    }
    return true;
}

void CPictureStatic::BuildCache(int width, int height)
{
    m_cache.reset();
    const HDC window = GetDC(GetSafeHwnd());
    if (!window)
        return;
    m_cache.reset(StretchHalftone(m_picture, window, width, height));
    ReleaseDC(GetSafeHwnd(), window);
}

void CPictureStatic::Paint()
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(GetSafeHwnd(), &paint);
    if (!dc)
        return;
    if (m_cached) {
        const SIZE size = CacheSize();
        CMemoryDC cache(dc, static_cast<HBITMAP>(m_cache.get()));
        if (cache.Ready())
            BitBlt(dc, 0, 0, size.cx, size.cy, cache.Get(), 0, 0, SRCCOPY);
    } else if (m_picture) {
        const SIZE picture = BitmapSize(m_picture);
        RECT client = {};
        GetClientRect(GetSafeHwnd(), &client);
        CMemoryDC source(dc, m_picture);
        if (source.Ready())
            StretchBlt(dc, 0, 0, client.right, client.bottom, source.Get(), 0, 0, picture.cx, picture.cy,
                       SRCCOPY);
    }
    EndPaint(GetSafeHwnd(), &paint);
}

LRESULT CPictureStatic::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        // With nothing to show, the static paints its own background.
        if (!(m_cached ? static_cast<bool>(m_cache) : m_picture != nullptr))
            return DefaultProc(message, wParam, lParam);
        Paint();
        return 0;
    case WM_SIZE: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (m_picture && m_cached)
            BuildCache(LOWORD(lParam), HIWORD(lParam));
        return result;
    }
    default:
        return DefaultProc(message, wParam, lParam);
    }
}
