// The file-system seam of the core on Windows.
//
// A replacement writes a temporary file beside the target and then swaps it
// in with ReplaceFileW, which keeps the target's attributes and security, or
// moves it into place with MoveFileExW when there was no target; both stay
// on one volume, so the target is either the old or the new file. A target
// behind a symbolic link is the file the link names.
#include <shlobj.h>

#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "core/platform/file_system.h"
#include "windows/wide.h"

namespace qvt::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;

std::runtime_error io_error(const char* what, DWORD code) {
    return std::runtime_error(std::string(what) + ": " + windows::error_text(code));
}

// The file a name stands for: a link is followed to its target.
std::wstring resolved(const std::string& target) {
    const fs::path path(windows::widen(target));
    std::error_code ec;
    if (fs::is_symlink(path, ec)) {
        const fs::path real = fs::weakly_canonical(path, ec);
        if (!ec) return real.wstring();
    }
    return path.wstring();
}

}  // namespace

struct AtomicFileWriter::State {
    HANDLE temp = INVALID_HANDLE_VALUE;
    std::wstring target;
    std::wstring temp_name;
    std::string buffer;

    void flush() {
        std::string_view data = buffer;
        while (!data.empty()) {
            DWORD written = 0;
            if (!::WriteFile(temp, data.data(), static_cast<DWORD>(data.size()), &written,
                             nullptr)) {
                throw io_error("Write error", ::GetLastError());
            }
            data.remove_prefix(written);
        }
        buffer.clear();
    }
    void close_temp() {
        if (temp != INVALID_HANDLE_VALUE) ::CloseHandle(temp);
        temp = INVALID_HANDLE_VALUE;
    }
};

AtomicFileWriter::AtomicFileWriter() : state_(std::make_unique<State>()) {}

AtomicFileWriter::~AtomicFileWriter() {
    discard();
}

bool AtomicFileWriter::open(const std::string& target) {
    discard();
    if (target.empty()) return false;
    State& s = *state_;
    s.target = resolved(target);
    const DWORD attributes = ::GetFileAttributesW(s.target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
            ::SetLastError(ERROR_BAD_FILE_TYPE);
            return false;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            ::SetLastError(ERROR_ACCESS_DENIED);
            return false;
        }
        // May the user write it? Only opening it tells (the read-only
        // attribute, access lists, another program holding it unshared);
        // ReplaceFileW would otherwise fail only at commit(), after the
        // controller's listing. The last error says why for the caller.
        const HANDLE probe = ::CreateFileW(s.target.c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe == INVALID_HANDLE_VALUE) return false;
        const bool on_disk = ::GetFileType(probe) == FILE_TYPE_DISK;
        ::CloseHandle(probe);
        if (!on_disk) {
            ::SetLastError(ERROR_BAD_FILE_TYPE);
            return false;
        }
    }
    // A name of its own beside the target: the process and a counter.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && s.temp == INVALID_HANDLE_VALUE; ++attempt) {
        s.temp_name = s.target + L".tmp" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                      std::to_wstring(++counter);
        s.temp = ::CreateFileW(s.temp_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (s.temp == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return s.temp != INVALID_HANDLE_VALUE;
}

bool AtomicFileWriter::is_open() const {
    return state_->temp != INVALID_HANDLE_VALUE;
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (!is_open()) throw std::runtime_error("Write error: the file is not open");
    state_->buffer.append(bytes);
    if (state_->buffer.size() >= kFlushAt) state_->flush();
}

void AtomicFileWriter::commit() {
    if (!is_open()) throw std::runtime_error("Write error: the file is not open");
    State& s = *state_;
    s.flush();
    if (!::FlushFileBuffers(s.temp)) throw io_error("Write error", ::GetLastError());
    s.close_temp();
    const bool exists = ::GetFileAttributesW(s.target.c_str()) != INVALID_FILE_ATTRIBUTES;
    const BOOL done =
        exists ? ::ReplaceFileW(s.target.c_str(), s.temp_name.c_str(), nullptr,
                                REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
               : ::MoveFileExW(s.temp_name.c_str(), s.target.c_str(), MOVEFILE_WRITE_THROUGH);
    if (!done) {
        const DWORD code = ::GetLastError();
        ::DeleteFileW(s.temp_name.c_str());
        s.temp_name.clear();
        throw io_error("Write error", code);
    }
    s.temp_name.clear();
}

void AtomicFileWriter::discard() noexcept {
    State& s = *state_;
    s.close_temp();
    if (!s.temp_name.empty()) ::DeleteFileW(s.temp_name.c_str());
    s.temp_name.clear();
    s.buffer.clear();
}

std::optional<std::string> write_file_safely(const fs::path& target, std::string_view content) {
    const std::string name = windows::narrow(target.wstring());
    AtomicFileWriter out;
    if (!out.open(name)) {
        return "Unable to write to " + name + ": " + windows::error_text(::GetLastError());
    }
    try {
        out.write(content);
        out.commit();
    } catch (const std::exception& e) {
        return "Unable to write to " + name + ": " + e.what();
    }
    return std::nullopt;
}

std::FILE* open_file(const std::string& utf8, const char* mode) {
    return ::_wfopen(windows::widen(utf8).c_str(), windows::widen(mode).c_str());
}

bool is_writable_folder(const fs::path& folder) {
    const std::wstring probe =
        (folder / (L"qvt-probe-" + std::to_wstring(::GetCurrentProcessId()))).wstring();
    const HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
}

bool is_regular_file(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

UserFolder user_folder() {
    const wchar_t* home = ::_wgetenv(L"QVTW2K_HOME");
    if (home != nullptr && *home != L'\0') return {fs::path(home), true};
    wchar_t* roaming = nullptr;
    fs::path path;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming))) {
        path = fs::path(roaming) / L"qvtw2k";
    }
    ::CoTaskMemFree(roaming);
    return {path, false};
}

}  // namespace qvt::platform
