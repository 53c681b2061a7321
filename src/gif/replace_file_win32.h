#pragma once
// Writes a file beside its target under a temporary name and puts it in the
// target's place only once every byte is written, so a failed save leaves the
// old file as it was.
#include <windows.h>

#include <string>

#include "gif/byte_sink.h"

namespace korvimo {

class ReplacingFile final : public ByteSink {
public:
    explicit ReplacingFile(std::wstring target);
    ~ReplacingFile() override;  // removes the temporary file unless committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the temporary file in the target's folder.
    bool Open();
    bool Write(const uint8_t* data, size_t size) override;
    // Closes the file and moves it over the target (replacing it); false when
    // any write failed or the move did, and then the target is untouched.
    bool Commit();

    // Removes the temporary file of every save still under way. A GIF save
    // lets other commands run, the exit among them, and the process then
    // ends without unwinding the save.
    static void DiscardUnfinished();

private:
    void Discard();

    std::wstring target_;
    std::wstring temporary_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool failed_ = false;
};

}  // namespace korvimo
