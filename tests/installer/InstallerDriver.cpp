// Stands in for the installer that calls Setwarden.dll: loads the library named on the
// command line, calls one export as an installer does (three 32-bit arguments, the
// standard calling convention) and ends with its result as the exit code.
//   InstallerDriver <dll> Uninstall
//   InstallerDriver <dll> CreateImageFolder | DeleteImageFolder | CreateSettingBaseFolder
//   InstallerDriver <dll> CopyImageFile | DelImageFile <path>
// Exit code 200 when the library or the export cannot be had.
#include <windows.h>

#include <cstdio>

namespace {

using Export = int(WINAPI*)(LPARAM, LPARAM, LPARAM);
constexpr int kNotCalled = 200;

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return kNotCalled;
    const HMODULE library = LoadLibraryA(argv[1]);
    if (!library)
        return kNotCalled;
    const auto call = reinterpret_cast<Export>(reinterpret_cast<void*>(GetProcAddress(library, argv[2])));
    if (!call)
        return kNotCalled;
    // No owner window for Uninstall; the path is the third argument.
    const LPARAM path = argc > 3 ? reinterpret_cast<LPARAM>(argv[3]) : 0;
    const int result = call(0, 0, path);
    std::printf("%s: %d\n", argv[2], result);
    FreeLibrary(library);
    return result;
}
