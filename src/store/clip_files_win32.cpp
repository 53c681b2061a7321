#include "store/clip_files_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <cwchar>
#include <memory>
#include <new>

namespace korvimo {

namespace {

constexpr const wchar_t* kLockName = L"run.lock";
constexpr const wchar_t* kPictureExtension = L".kvz";
// Gone with the last handle, however the process ends; shared with nobody.
constexpr DWORD kOwnFileFlags = FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE;

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = L"";
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) return {};
    return path;  // ends with a backslash
}

// The TOKEN_USER of the user running us, or nothing.
std::unique_ptr<BYTE[]> TokenUser() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    DWORD size = 0;
    GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    std::unique_ptr<BYTE[]> user(size ? new (std::nothrow) BYTE[size] : nullptr);
    if (user && !GetTokenInformation(token, ::TokenUser, user.get(), size, &size)) user.reset();
    CloseHandle(token);
    return user;
}

PSID SidOf(const std::unique_ptr<BYTE[]>& user) { return reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid; }

bool OwnedBy(HANDLE object, PSID user) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const bool same = owner && EqualSid(owner, user);
    LocalFree(descriptor);
    return same;
}

// Deletes what a run put into `folder` (the lock first: it fails while its
// run still holds it, and then nothing is touched); false when the lock stays.
bool RemoveContents(const std::wstring& folder) {
    if (!DeleteFileW((folder + L"\\" + kLockName).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*" + kPictureExtension).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return true;
}

// A folder a crashed run left: opened as itself, never through a link or
// junction of that name, and emptied only when the user running us owns it.
// Held open without delete sharing, it cannot be swapped for a link while we
// empty it. Removing it fails, harmlessly, if anything else is in it.
void RemoveLeftFolder(const std::wstring& folder, PSID user) {
    HANDLE handle = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool plain = GetFileInformationByHandle(handle, &info) &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                       !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    const bool emptied = plain && OwnedBy(handle, user) && RemoveContents(folder);
    CloseHandle(handle);
    if (emptied) RemoveDirectoryW(folder.c_str());
}

// Owned by the user running us, full control for that user and nobody else,
// inherited by the files made inside.
struct OwnerOnly {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ~OwnerOnly() {
        if (descriptor) LocalFree(descriptor);
    }
    bool Make() {
        std::unique_ptr<BYTE[]> user = TokenUser();
        wchar_t* sid = nullptr;
        if (!user || !ConvertSidToStringSidW(SidOf(user), &sid)) return false;
        std::wstring sddl = std::wstring(L"O:") + sid + L"D:P(A;OICI;FA;;;" + sid + L")";
        LocalFree(sid);
        return ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                                    nullptr) != FALSE;
    }
};

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

bool TempClipFiles::MakeFolder() {
    if (!folder_.empty()) return true;
    std::wstring temp = TempFolder();
    OwnerOnly access;
    if (temp.empty() || !access.Make()) return false;
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), access.descriptor, FALSE};
    wchar_t name[64];
    for (int attempt = 0; attempt < 16; ++attempt) {
        swprintf(name, 64, L"%ls%lu-%lu", kPictureFolderPrefix, GetCurrentProcessId(), GetTickCount() + attempt);
        std::wstring folder = temp + name;
        if (!CreateDirectoryW(folder.c_str(), &attributes)) {
            if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        lock_ = CreateFileW((folder + L"\\" + kLockName).c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                            kOwnFileFlags, nullptr);
        if (lock_ == INVALID_HANDLE_VALUE) {
            RemoveDirectoryW(folder.c_str());
            return false;
        }
        folder_ = folder;
        return true;
    }
    return false;
}

bool TempClipFiles::RoomOnDisk(size_t size) const {
    ULARGE_INTEGER available{}, total{};
    return GetDiskFreeSpaceExW(folder_.c_str(), &available, &total, nullptr) &&
           LeavesDiskFloor(available.QuadPart, total.QuadPart, size);
}

HANDLE TempClipFiles::Create(uint64_t id) {
    wchar_t name[32];
    swprintf(name, 32, L"\\%llx%ls", static_cast<unsigned long long>(id), kPictureExtension);
    return CreateFileW((folder_ + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       kOwnFileFlags, nullptr);
}

bool TempClipFiles::Append(uint64_t id, const uint8_t* data, size_t size) {
    auto found = open_.find(id);
    if (!MakeFolder() || !RoomOnDisk(size)) return false;
    if (found == open_.end()) {
        HANDLE file = Create(id);
        if (file == INVALID_HANDLE_VALUE) return false;
        try {
            found = open_.emplace(id, file).first;
        } catch (const std::bad_alloc&) {
            CloseHandle(file);
            return false;
        }
    }
    LARGE_INTEGER end{};
    return SetFilePointerEx(found->second, end, nullptr, FILE_END) && WriteAll(found->second, data, size);
}

bool TempClipFiles::Read(uint64_t id, uint64_t offset, uint8_t* data, size_t size) {
    auto found = open_.find(id);
    if (found == open_.end()) return false;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(found->second, at, nullptr, FILE_BEGIN)) return false;
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), got = 0;
        if (!ReadFile(found->second, data, chunk, &got, nullptr) || got == 0) return false;
        data += got;
        size -= got;
    }
    return true;
}

void TempClipFiles::Remove(uint64_t id) {
    auto found = open_.find(id);
    if (found == open_.end()) return;
    CloseHandle(found->second);
    open_.erase(found);
}

void TempClipFiles::RemoveAll() {
    for (const auto& [id, file] : open_) CloseHandle(file);
    open_.clear();
    if (folder_.empty()) return;
    CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
    RemoveDirectoryW(folder_.c_str());
    folder_.clear();
}

void TempClipFiles::RemoveLeftFolders() {
    std::wstring temp = TempFolder();
    std::unique_ptr<BYTE[]> user = TokenUser();
    if (temp.empty() || !user) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((temp + kPictureFolderPrefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The pattern also matches short names; the long name must be ours.
        if (wcsncmp(found.cFileName, kPictureFolderPrefix, wcslen(kPictureFolderPrefix)) != 0) continue;
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveLeftFolder(temp + found.cFileName, SidOf(user));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace korvimo
