#pragma once
// The lock picture stretched (half-tone) to a monitor's size for the cover dialogs. The
// covers are built anew at every lock; the stretched picture is made once per picture
// file and size, and again only when the file changes.
#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

// A bitmap shared by the cache and the covers that show it; deleted with its last holder.
using SharedBitmap = std::shared_ptr<std::remove_pointer_t<HBITMAP>>;

class CStretchedPictures {
public:
    // `path`: the settings' lock picture; empty, or a file that does not load: the
    // program's own bitmap. Null when no picture can be made.
    SharedBitmap Get(const std::string& path, int width, int height);

private:
    // When and how the file was last written: a rewritten file makes its copies stale.
    struct SFileStamp {
        ULONGLONG written = 0;
        ULONGLONG size = 0;
        bool operator==(const SFileStamp&) const = default;
    };
    struct SEntry {
        std::string path;
        SFileStamp stamp;
        int width;
        int height;
        SharedBitmap picture;
    };
    static SFileStamp StampOf(const std::string& path);
    static SharedBitmap Make(const std::string& path, int width, int height);

    std::vector<SEntry> m_entries;  // one per monitor size, all of the same file
};
