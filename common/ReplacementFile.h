#pragma once
// Replaces a file's whole content in one step: the new text goes to a temporary
// file in the same folder, which then takes the old file's place. At every moment
// either the old or the new file is whole at the target path, and the target keeps
// its owner, access list and attributes: a save never hands the file to whoever saved.
// Each replacement's temporary file is one of its own, created new, so a replacement
// never opens, empties or deletes a file another one left.
// Where a swap stops halfway (the old file already gone or moved aside, the new one not
// yet in its place), the temporary file is the only copy of the new text: it is kept, and
// FindKeptCopy finds it for the next read. A temporary file is written under a name that
// FindKeptCopy never takes, so that a save cut off mid-write (a power loss) is never read
// as the settings: it gets a kept copy's name only once it is whole and on disk, or, where
// there is no old file to replace, goes from that name straight to the target's.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/File.h"

// The file-system calls of the swap, one Windows call each; false with the thread's
// last error set on failure. Tests put a double here.
class CFileSwap {
public:
    virtual ~CFileSwap() = default;

    // ReplaceFile: `replacement` takes the name of `replaced`, whose owner, access list
    // and attributes it takes on. ERROR_CALL_NOT_IMPLEMENTED where Windows lacks it.
    virtual bool Replace(const std::string& replaced, const std::string& replacement) const;
    // MoveFileEx, replacing whatever is at `to`, written through.
    virtual bool MoveReplacing(const std::string& from, const std::string& to) const;
    // DeleteFile and MoveFile, for Windows without MoveFileEx.
    virtual bool Delete(const std::string& path) const;
    virtual bool Move(const std::string& from, const std::string& to) const;

    // The calls as Windows makes them.
    static const CFileSwap& Windows();
};

class CReplacementFile {
public:
    explicit CReplacementFile(std::string targetPath);
    CReplacementFile(std::string targetPath, const CFileSwap& swap);
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;
    // A replacement that was not committed leaves the target untouched and its
    // temporary file removed, unless that file is the only copy left (above).
    ~CReplacementFile();

    // Whether a commit may wait for a name that something holds for a moment.
    enum class EWait { MayWait, Never };

    // The newest temporary file that a half-done swap kept, where no file is at `target`;
    // never one still under the name it was written under.
    static std::optional<std::string> FindKeptCopy(const std::string& target);
    // Every temporary file of `target` in its folder, whatever process named it, whether a
    // half-done swap kept it or a cut-off save left it, finished or not.
    static std::vector<std::string> ListTempFiles(const std::string& target);
    // Deletes the temporary files of `target`: the copies half-done swaps kept and what
    // cut-off ones left. Only once `target` holds the newest text, and while no other
    // replacement of it is under way.
    static void RemoveKeptCopies(const std::string& target);

    void Write(std::string_view data);
    // Flushes the new content to disk and puts it in the target's place; true when it is
    // there. Fails (and changes nothing) while another handle holds the target open.
    // Where the swap stopped halfway and the move still fails (tried again with a short
    // back-off unless `wait` is Never) it returns false: the new text is in force all the
    // same, as the kept copy that the next read takes, and the next save puts in place.
    bool Commit(EWait wait = EWait::MayWait);

    const std::string& GetTempPath() const { return m_tempPath; }

private:
    // Creates the temporary file under a name no file has, whose kept copy's name no file
    // has either.
    void CreateTempFile();
    // Gives the whole temporary file its kept copy's name, which reads take.
    void NameAsKeptCopy();
    bool SwapWithTarget(EWait wait);
    // The swap where there is no old file to replace (or no ReplaceFile): the plain move.
    DWORD MoveOverTarget();
    // The move, tried again with a short back-off while the temporary file is the only
    // copy, for whatever holds a name for a moment.
    DWORD MoveOverTargetRetrying(EWait wait);

    std::string m_targetPath;
    std::string m_tempPath;  // the temporary file's name: the one written under, then the kept copy's
    std::string m_keptPath;
    const CFileSwap& m_swap;
    std::optional<fw::CFile> m_file;
    bool m_committed = false;
    bool m_onlyCopy = false;  // the old file is gone or aside: the temporary file must stay
};
