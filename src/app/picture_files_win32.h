#pragma once
// The folder of this run's spilled pictures, under the user's temporary
// folder and open to the user alone. It is made on the first spill, removed
// at exit, and a folder left by a run that crashed is removed at the next
// start.
#include <windows.h>

#include <string>

#include "app/picture_store.h"

namespace korvimo {

// Our folders, and only ours, have names that begin so.
inline constexpr const wchar_t* kPictureFolderPrefix = L"korvimo-pictures-";

class TempPictureFiles : public PictureFiles {
public:
    TempPictureFiles() = default;
    ~TempPictureFiles() override { RemoveAll(); }
    TempPictureFiles(const TempPictureFiles&) = delete;
    TempPictureFiles& operator=(const TempPictureFiles&) = delete;

    bool Write(uint64_t id, const uint8_t* data, size_t size) override;
    bool Read(uint64_t id, uint8_t* data, size_t size) override;
    void Remove(uint64_t id) override;

    // Deletes the folder with everything we put in it.
    void RemoveAll();

    // Removes the folders that runs no longer running left behind. A running
    // one keeps its lock file open, which makes it undeletable.
    static void RemoveLeftFolders();

private:
    bool MakeFolder();
    std::wstring PathOf(uint64_t id) const;

    std::wstring folder_;  // empty until the first spill
    HANDLE lock_ = INVALID_HANDLE_VALUE;
};

}  // namespace korvimo
