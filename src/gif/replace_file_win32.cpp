#include "gif/replace_file_win32.h"

#include <set>
#include <utility>

namespace korvimo {
namespace {

// The folder part of a path, so the temporary file lands on the same volume
// and the final move is a rename.
std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) return path.substr(0, slash + 1);
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2) + L".";  // "C:name"
    return L".";
}

// The saves whose temporary file exists.
std::set<ReplacingFile*>& Unfinished() {
    static std::set<ReplacingFile*> saves;
    return saves;
}

}  // namespace

ReplacingFile::ReplacingFile(std::wstring target) : target_(std::move(target)) {}

ReplacingFile::~ReplacingFile() { Discard(); }

bool ReplacingFile::Open() {
    if (file_ != INVALID_HANDLE_VALUE || target_.empty()) return false;
    // Writing in place would fail on a read-only, hidden or system file (and
    // the replace question never sees the last two); the move that replaces
    // the file must not get round that.
    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    DWORD attributes = GetFileAttributesW(target_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kept)) return false;
    wchar_t name[MAX_PATH + 1] = {};
    // Creates an empty file with a unique name, which we then open for writing.
    if (GetTempFileNameW(FolderOf(target_).c_str(), L"kvm", 0, name) == 0) return false;
    temporary_ = name;
    Unfinished().insert(this);
    file_ = CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        Discard();
        return false;
    }
    return true;
}

bool ReplacingFile::Write(const uint8_t* data, size_t size) {
    if (file_ == INVALID_HANDLE_VALUE || failed_) return false;
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file_, data, chunk, &written, nullptr) || written == 0) {
            failed_ = true;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool ReplacingFile::Commit() {
    if (file_ == INVALID_HANDLE_VALUE) return false;
    bool closed = CloseHandle(file_) != 0;
    file_ = INVALID_HANDLE_VALUE;
    if (failed_ || !closed ||
        !MoveFileExW(temporary_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Discard();
        return false;
    }
    temporary_.clear();
    Unfinished().erase(this);
    return true;
}

void ReplacingFile::DiscardUnfinished() {
    while (!Unfinished().empty()) (*Unfinished().begin())->Discard();
}

void ReplacingFile::Discard() {
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    if (!temporary_.empty()) {
        DeleteFileW(temporary_.c_str());
        temporary_.clear();
    }
    Unfinished().erase(this);
}

}  // namespace korvimo
