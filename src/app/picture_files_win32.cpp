#include "app/picture_files_win32.h"

#include <sddl.h>

#include <cwchar>
#include <memory>

namespace korvimo {

namespace {

constexpr const wchar_t* kLockName = L"run.lock";
constexpr const wchar_t* kPictureExtension = L".kvz";

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = L"";
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) return {};
    return path;  // ends with a backslash
}

// A plain folder of ours: a link or junction with our name is never entered.
bool IsPlainFolder(const WIN32_FIND_DATAW& found) {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Deletes what we put into `folder` (the lock first: it fails while its run
// still holds it, and then nothing is touched), then the folder itself,
// which fails, harmlessly, if anything else was found in it.
void RemoveFolder(const std::wstring& folder) {
    if (!DeleteFileW((folder + L"\\" + kLockName).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*" + kPictureExtension).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// Full control for the user running us and for nobody else, inherited by
// the files made inside.
struct OwnerOnly {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ~OwnerOnly() {
        if (descriptor) LocalFree(descriptor);
    }
    bool Make() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::unique_ptr<BYTE[]> user(size ? new (std::nothrow) BYTE[size] : nullptr);
        wchar_t* sid = nullptr;
        bool ok = user && GetTokenInformation(token, TokenUser, user.get(), size, &size) &&
                  ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid, &sid);
        CloseHandle(token);
        if (!ok) return false;
        std::wstring sddl = std::wstring(L"D:P(A;OICI;FA;;;") + sid + L")";
        LocalFree(sid);
        return ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                                    nullptr) != FALSE;
    }
};

}  // namespace

bool TempPictureFiles::MakeFolder() {
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
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (lock_ == INVALID_HANDLE_VALUE) {
            RemoveDirectoryW(folder.c_str());
            return false;
        }
        folder_ = folder;
        return true;
    }
    return false;
}

std::wstring TempPictureFiles::PathOf(uint64_t id) const {
    wchar_t name[32];
    swprintf(name, 32, L"\\%llx%ls", static_cast<unsigned long long>(id), kPictureExtension);
    return folder_ + name;
}

bool TempPictureFiles::Write(uint64_t id, const uint8_t* data, size_t size) {
    if (!MakeFolder()) return false;
    std::wstring path = PathOf(id);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    while (ok && size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), written = 0;
        ok = WriteFile(file, data, chunk, &written, nullptr) && written == chunk;
        data += written;
        size -= written;
    }
    ok = CloseHandle(file) && ok;
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

bool TempPictureFiles::Read(uint64_t id, uint8_t* data, size_t size) {
    if (folder_.empty()) return false;
    HANDLE file = CreateFileW(PathOf(id).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length{};
    bool ok = GetFileSizeEx(file, &length) && static_cast<uint64_t>(length.QuadPart) == size;
    while (ok && size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size), got = 0;
        ok = ReadFile(file, data, chunk, &got, nullptr) && got == chunk;
        data += got;
        size -= got;
    }
    CloseHandle(file);
    return ok;
}

void TempPictureFiles::Remove(uint64_t id) {
    if (!folder_.empty()) DeleteFileW(PathOf(id).c_str());
}

void TempPictureFiles::RemoveAll() {
    if (folder_.empty()) return;
    CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
    RemoveFolder(folder_);
    folder_.clear();
}

void TempPictureFiles::RemoveLeftFolders() {
    std::wstring temp = TempFolder();
    if (temp.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((temp + kPictureFolderPrefix + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        // The pattern also matches short names; the long name must be ours.
        if (wcsncmp(found.cFileName, kPictureFolderPrefix, wcslen(kPictureFolderPrefix)) != 0) continue;
        if (IsPlainFolder(found)) RemoveFolder(temp + found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace korvimo
