// The Windows writer behind AtomicFile.h. The new content is flushed to disk in a file of its
// own beside the target, then swapped in with ReplaceFileW, which keeps what Windows records
// about the old file (attributes, access rights, creation time); a new file is moved into
// place with MoveFileExW.
#include "AtomicFile.h"

#include "Win32SerialDevice.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// Paths come from the command line, in the code page of the system.
std::wstring wide(const std::string& text) {
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), n);
    return result;
}

std::string narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string result(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), n, nullptr,
                        nullptr);
    return result;
}

std::string systemText(DWORD code) {
    return Win32SerialDevice::errorText(code); // the system's sentence for any error code
}

std::wstring folderOf(const std::wstring& path) {
    const auto sep = path.find_last_of(L"\\/");
    if (sep == std::wstring::npos)
        return path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) : L".";
    if (sep == 0 || (sep == 2 && path[1] == L':'))
        return path.substr(0, sep + 1);
    return path.substr(0, sep);
}

class Handle {
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_h; }
    bool close() {
        const bool ok = !valid() || CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

// The file a write to `path` lands in (a link followed to its file), after checking that it may
// be replaced or created.
std::optional<std::string> prepare(const std::string& path, std::wstring& file) {
    if (path.empty())
        return std::string("no file name");
    // The full path: ReplaceFileW of some systems fails on a name relative to the current folder.
    const std::wstring given = wide(path);
    std::vector<wchar_t> full(32768);
    const DWORD n = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    file = n > 0 && n < full.size() ? std::wstring(full.data(), n) : given;
    // Opening without access rights follows a link and never waits for a pipe's other end.
    Handle h(CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid()) {
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND)
            return systemText(code);
        const std::wstring folder = folderOf(file);
        const DWORD folderAttributes = GetFileAttributesW(folder.c_str());
        if (folderAttributes == INVALID_FILE_ATTRIBUTES || !(folderAttributes & FILE_ATTRIBUTE_DIRECTORY))
            return "there is no folder " + narrow(folder);
        return std::nullopt;
    }
    if (GetFileType(h.get()) != FILE_TYPE_DISK)
        return std::string("is not a regular file");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h.get(), &info))
        return systemText(GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return std::string("is a directory");
    if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        return std::string("is read-only");
    // A link: the file it leads to is the one replaced.
    if (GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) {
        std::vector<wchar_t> buf(32768);
        const DWORD n = GetFinalPathNameByHandleW(h.get(), buf.data(), static_cast<DWORD>(buf.size()),
                                                  FILE_NAME_NORMALIZED);
        if (n == 0 || n >= buf.size())
            return systemText(GetLastError());
        file.assign(buf.data(), n);
    }
    return std::nullopt;
}

// A new file beside `file`, created exclusively so that nothing planted under its name is used.
HANDLE createTemporary(const std::wstring& file, std::wstring& temp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long salt =
            GetTickCount64() * 7919u + GetCurrentProcessId() * 104729u + counter++;
        temp = file + L"." + std::to_wstring(salt % 100000000u) + L".tmp";
        const HANDLE h =
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return h;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE h, std::string_view content) {
    while (!content.empty()) {
        DWORD put = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 30));
        if (!WriteFile(h, content.data(), ask, &put, nullptr) || put == 0)
            return false;
        content.remove_prefix(put);
    }
    return true;
}

} // namespace

namespace AtomicFile {

std::optional<std::string> checkTarget(const std::string& path) {
    std::wstring file;
    return prepare(path, file);
}

std::optional<std::string> write(const std::string& path, std::string_view content) {
    std::wstring file;
    if (auto why = prepare(path, file))
        return why;
    std::wstring temp;
    Handle h(createTemporary(file, temp));
    if (!h.valid())
        return "folder " + narrow(folderOf(file)) + ": " + systemText(GetLastError());
    const auto fail = [&](DWORD code) {
        h.close();
        DeleteFileW(temp.c_str());
        return std::optional<std::string>(systemText(code));
    };
    if (!writeAll(h.get(), content) || !FlushFileBuffers(h.get()))
        return fail(GetLastError());
    if (!h.close())
        return fail(GetLastError());
    // ReplaceFileW needs a file to replace; it may also refuse (on some network shares), and
    // then the plain move with replacement does the same without keeping the old attributes.
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ReplaceFileW(file.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return std::nullopt;
    if (!MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(GetLastError());
    return std::nullopt;
}

} // namespace AtomicFile
