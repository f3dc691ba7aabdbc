#include "game/profile/ProfileFiles.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace fs = std::filesystem;

namespace {

void (*g_beforeRenameHook)() = nullptr;

std::string ErrnoText(int error) { return std::strerror(error); }

// Closes a descriptor on every way out.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The rename itself is made durable by syncing the folder; a failure here
// changes nothing about what is on the disk, so it is not reported.
void SyncFolder(const fs::path& folder) {
    FileDescriptor dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (dir.fd >= 0) ::fsync(dir.fd);
}

}  // namespace

void SetAtomicWriteHookForTests(void (*hook)()) { g_beforeRenameHook = hook; }

ProfileRead ReadProfileFile(const fs::path& path, std::string& text, std::string& error) {
    text.clear();
    // Non-blocking, so a pipe or device put in the file's place cannot hang
    // the start of the game; it is refused below as not a regular file.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        const int openError = errno;
        if (openError == ENOENT) return ProfileRead::Missing;
        error = "cannot open it (" + ErrnoText(openError) + ")";
        return openError == EISDIR ? ProfileRead::Damaged : ProfileRead::Unreadable;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        error = "cannot read it (" + ErrnoText(errno) + ")";
        return ProfileRead::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return ProfileRead::Damaged;
    }
    if (static_cast<uint64_t>(info.st_size) > kMaxProfileFileBytes) {
        error = "larger than " + std::to_string(kMaxProfileFileBytes) + " bytes";
        return ProfileRead::Damaged;
    }
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "cannot read it (" + ErrnoText(errno) + ")";
            return ProfileRead::Unreadable;
        }
        if (n == 0) break;
        text.append(buffer.data(), static_cast<size_t>(n));
        if (text.size() > kMaxProfileFileBytes) {  // grew while being read
            error = "larger than " + std::to_string(kMaxProfileFileBytes) + " bytes";
            return ProfileRead::Damaged;
        }
    }
    return ProfileRead::Read;
}

bool WriteFileAtomically(const fs::path& requested, const std::string& text, std::string& error) {
    // A file kept as a link (a dotfiles folder) is replaced where it lives,
    // leaving the link in place.
    std::error_code linkError;
    fs::path path = requested;
    if (fs::is_symlink(fs::symlink_status(requested, linkError))) {
        fs::path target = fs::canonical(requested, linkError);
        if (linkError) {  // a link to a file not made yet
            linkError.clear();
            target = fs::read_symlink(requested, linkError);
            if (target.is_relative()) target = requested.parent_path() / target;
        }
        if (!linkError) path = target;
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = "cannot create the folder " + folder.string() + " (" + ec.message() + ")";
        return false;
    }
    // A unique name, so two copies of the game saving at once never write
    // into the same temporary file.
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    FileDescriptor file{::mkostemp(pattern.data(), O_CLOEXEC)};
    if (file.fd < 0) {
        error = "cannot create a file in " + folder.string() + " (" + ErrnoText(errno) + ")";
        return false;
    }
    const fs::path temporary = pattern;
    auto fail = [&](const std::string& what) {
        const int writeError = errno;
        error = what + " (" + ErrnoText(writeError) + ")";
        ::unlink(temporary.c_str());
        return false;
    };
    // mkstemp makes the file private (0600); give it the permissions a newly
    // created file gets (the umask applied to 0666).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(file.fd, 0666 & ~mask);
    if (!WriteAll(file.fd, text)) return fail("cannot write " + temporary.string());
    // The data must be on the disk before the rename makes it the file:
    // otherwise a power cut could leave the new name with no content.
    if (::fsync(file.fd) != 0) return fail("cannot flush " + temporary.string());
    if (::close(file.fd) != 0) {
        file.fd = -1;
        return fail("cannot write " + temporary.string());
    }
    file.fd = -1;
    if (g_beforeRenameHook) g_beforeRenameHook();
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail("cannot replace " + path.string());
    SyncFolder(folder);
    return true;
}

fs::path MoveDamagedFileAside(const fs::path& path, std::string& error) {
    constexpr int kMaxTries = 1000;
    for (int n = 0; n < kMaxTries; ++n) {
        fs::path target = path;
        target += n == 0 ? std::string(".bad") : ".bad." + std::to_string(n);
        // RENAME_NOREPLACE: an existing .bad is never replaced, even by a
        // second copy of the game doing the same thing at the same moment.
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return target;
        if (errno == EEXIST) continue;
        if (errno == EINVAL || errno == ENOSYS) {
            // A file system without RENAME_NOREPLACE: check, then rename.
            std::error_code ec;
            if (fs::exists(fs::symlink_status(target, ec))) continue;
            if (::rename(path.c_str(), target.c_str()) == 0) return target;
        }
        error = "cannot rename it to " + target.string() + " (" + ErrnoText(errno) + ")";
        return {};
    }
    error = "too many damaged copies beside it already";
    return {};
}

bool ParseJsonObject(std::string_view text, nlohmann::json& out, std::string& error) {
    out = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (out.is_discarded()) {
        error = "not valid JSON";
        return false;
    }
    if (!out.is_object()) {
        error = "not a JSON object";
        return false;
    }
    return true;
}
