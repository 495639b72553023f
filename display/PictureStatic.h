#pragma once
// A static control that shows one bitmap stretched over its whole client area: the lock
// and alarm pictures. With the cache flag the picture is stretched once (half-tone) into
// a copy of the client size and painted 1:1 from it; without it, it is stretched on
// every paint.
#include "framework/Handle.h"
#include "framework/SubclassWnd.h"

#include <string>

// `picture` stretched half-tone over a new bitmap of width x height, compatible with `dc`;
// null when either size is empty or a step fails. The caller deletes it.
HBITMAP StretchHalftone(HBITMAP picture, HDC dc, int width, int height);

class CPictureStatic : public fw::CSubclassWnd {
public:
    CPictureStatic() = default;
    ~CPictureStatic() override;

    // Each load first clears the old picture; true when a picture is shown afterwards.
    // SetBitmap only attaches the caller's bitmap: the caller keeps and deletes it.
    bool SetBitmap(HBITMAP bitmap, bool cache);
    bool LoadFromFile(const std::string& path, bool cache);
    bool LoadFromResource(UINT id, bool cache);
    // Deletes a picture the control loaded itself (an attached one is only let go) and
    // the cache.
    void ClearPicture(bool redraw);

    HBITMAP GetBitmap() const { return m_picture; }
    // The size of the pre-stretched copy; 0 x 0 when there is none.
    SIZE CacheSize() const;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool ShowPicture(bool cache);
    void BuildCache(int width, int height);
    void Paint();

    HBITMAP m_picture = nullptr;
    bool m_owned = false;
    bool m_cached = false;
    fw::unique_hgdiobj m_cache;
};
