#pragma once
// The files of this run's spilled clips, in a folder of the run under the
// user's temporary folder, open to the user alone. Each file is made to be
// deleted when closed and stays open, shared with nobody, for its clip's
// lifetime: the system removes it however the process ends, and no other
// program (a temporary-file cleaner) can delete or change it meanwhile. The
// folder is made on the first spill and removed at exit; an empty one left
// by a run that was killed is removed at the next start.
#include <windows.h>

#include <map>
#include <string>

#include "store/clip_store.h"

namespace korvimo {

// Our folders, and only ours, have names that begin so.
inline constexpr const wchar_t* kPictureFolderPrefix = L"korvimo-pictures-";

class TempClipFiles : public ClipFiles {
public:
    TempClipFiles() = default;
    ~TempClipFiles() override { RemoveAll(); }
    TempClipFiles(const TempClipFiles&) = delete;
    TempClipFiles& operator=(const TempClipFiles&) = delete;

    bool Append(uint64_t id, const uint8_t* data, size_t size) override;
    bool Read(uint64_t id, uint64_t offset, uint8_t* data, size_t size) override;
    void Remove(uint64_t id) override;

    // Closes every file, which deletes them, and removes the folder.
    void RemoveAll();

    // Removes the folders that runs no longer running left behind. A running
    // one keeps its lock file open, which makes it undeletable.
    static void RemoveLeftFolders();

private:
    bool MakeFolder();
    bool RoomOnDisk(size_t size) const;
    HANDLE Create(uint64_t id);

    std::wstring folder_;  // empty until the first spill
    HANDLE lock_ = INVALID_HANDLE_VALUE;
    std::map<uint64_t, HANDLE> open_;
};

}  // namespace korvimo
