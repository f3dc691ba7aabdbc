#include "framework/resource/FwDataRoot.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

// The install location, compiled in by the build (see the root CMakeLists):
// the absolute installed content folder and the same folder relative to the
// installed executables' folder.
#ifndef GV_DATA_DIR
#define GV_DATA_DIR ""
#endif
#ifndef GV_DATA_DIR_FROM_BIN
#define GV_DATA_DIR_FROM_BIN ""
#endif

namespace {

std::string& Root() {
    static std::string root = FwDataRoot::kDefault;
    return root;
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

}  // namespace

void FwDataRoot::Set(std::string folder) { Root() = folder.empty() ? std::string(kDefault) : WithSlash(std::move(folder)); }

const std::string& FwDataRoot::Get() { return Root(); }

std::string FwDataRoot::Path(const std::string& relative) { return Root() + relative; }

std::vector<std::string> FwDataRoot::Candidates(const std::string& exeDir, const std::string& installedFromBin,
                                                const std::string& installedDir) {
    std::vector<std::string> out;
    auto add = [&out](const fs::path& folder) {
        std::string text = WithSlash(folder.lexically_normal().generic_string());
        if (std::find(out.begin(), out.end(), text) == out.end()) out.push_back(std::move(text));
    };
    add(kDefault);
    if (!exeDir.empty()) {
        add(fs::path(exeDir) / "Data");
        if (!installedFromBin.empty()) add(fs::path(exeDir) / installedFromBin);
    }
    if (!installedDir.empty()) add(installedDir);
    return out;
}

bool FwDataRoot::HoldsContent(const std::string& folder) {
    if (folder.empty()) return false;
    const fs::path root(folder);
    for (const char* sub : {"Model", "Texture", "Sound", "CoordinateFile"})
        if (!IsDirectory(root / sub)) return false;
    return true;
}

std::optional<std::string> FwDataRoot::FirstWithContent(const std::vector<std::string>& candidates) {
    for (const std::string& folder : candidates)
        if (HoldsContent(folder)) return folder;
    return std::nullopt;
}

std::string FwDataRoot::MissingMessage(const std::vector<std::string>& tried) {
    std::string text = "The game's content (the Data folder) was not found. Looked in:\n";
    for (const std::string& folder : tried) {
        std::error_code ec;
        fs::path shown = fs::absolute(folder, ec);
        text += "  " + (ec ? folder : shown.lexically_normal().string()) + "\n";
    }
    text += "Start the game from the folder that holds Data/, or name the content folder with --data DIR.";
    return text;
}

std::string FwDataRoot::ExecutableDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return {};
    return exe.parent_path().string();
}

bool FwDataRoot::Locate(const std::string& requested, std::vector<std::string>& tried) {
    tried = requested.empty() ? Candidates(ExecutableDir(), GV_DATA_DIR_FROM_BIN, GV_DATA_DIR)
                              : std::vector<std::string>{WithSlash(requested)};
    std::optional<std::string> found = FirstWithContent(tried);
    if (!found) return false;
    Set(*found);
    return true;
}
