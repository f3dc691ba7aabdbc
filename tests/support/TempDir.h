// A scratch directory for one test, removed with everything in it at the end:
// a fresh folder under the system's temporary folder, named from the prefix
// and the process id.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

struct TempDir {
    std::filesystem::path path;
    explicit TempDir(const std::string& prefix = "gv_test") {
        std::string tmpl = (std::filesystem::temp_directory_path() /
                            (prefix + "_" + std::to_string(::getpid()) + "_XXXXXX")).string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        if (mkdtemp(buf.data())) path = buf.data();
    }
    ~TempDir() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path; }
    std::string File(const std::string& name) const { return (path / name).string(); }
};
