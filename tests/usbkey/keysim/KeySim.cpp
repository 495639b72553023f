// Pulls or inserts a simulated USB key: rewrites the simulated machine's scenario file,
// then tells every top-level window that devices changed, as Windows does.
//
//   keysim <scenario file> pull <tag>     leave the lines tagged <tag> out
//   keysim <scenario file> insert <tag>   take them in again
//   keysim <scenario file> notify         only tell the windows
#include "usbkey/sim/SimScenario.h"

#include "framework/Handle.h"

#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// Written beside the target and moved over it, so a reader never sees half a file.
bool ReplaceText(const std::string& path, const std::string& text)
{
    const std::string temporary = path + ".keysim-" + std::to_string(GetCurrentProcessId());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!(file << text) || !file.flush())
            return false;
    }
    for (int attempt = 0; attempt < 50; ++attempt) {  // a reader may hold the file for a moment
        if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        Sleep(20);
    }
    DeleteFileA(temporary.c_str());
    return false;
}

BOOL CALLBACK PostDevicesChanged(HWND window, LPARAM)
{
    PostMessageA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    return TRUE;
}

int Usage()
{
    std::fputs("usage: keysim <scenario file> pull|insert <tag>\n"
               "       keysim <scenario file> notify\n",
               stderr);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string path = argv[1];
    const std::string command = argv[2];
    if (command == "pull" || command == "insert") {
        if (argc != 4)
            return Usage();
        std::string text;
        if (!ReadText(path, text) ||
            !ReplaceText(path, usbkey::SetScenarioTagPulled(text, argv[3], command == "pull"))) {
            std::fprintf(stderr, "keysim: cannot rewrite %s\n", path.c_str());
            return 2;
        }
    } else if (command != "notify" || argc != 3) {
        return Usage();
    }
    EnumWindows(PostDevicesChanged, 0);
    return 0;
}
