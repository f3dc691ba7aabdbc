// Reading and writing the player's small files (settings, progress) so that
// a crash or a full disk never leaves half a file, and a damaged file is
// kept for the player instead of being replaced.
#pragma once

#include <filesystem>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

enum class ProfileRead {
    Read,        // text holds the whole file
    Missing,     // no such file: the defaults, nothing to report
    Damaged,     // not a regular file, or larger than kMaxProfileFileBytes
    Unreadable,  // exists but cannot be read (permissions, I/O error)
};
constexpr size_t kMaxProfileFileBytes = 1 << 20;

// Reads a whole profile file; error holds the reason unless Read or Missing.
// Never blocks on a pipe or device.
ProfileRead ReadProfileFile(const std::filesystem::path& path, std::string& text, std::string& error);

// Replaces path with text, all or nothing: the text goes to a new temporary
// file in the same folder, is flushed to the disk (fsync), and only then
// renamed over path; the folder (and its parents) are created when missing.
// On failure the old file is untouched, the temporary file removed and
// error holds the reason. A crash part-way leaves the old file whole (and
// possibly a hidden ".NAME.XXXXXX" temporary file beside it). When path
// is a symbolic link, the file it points to is replaced and the link kept.
bool WriteFileAtomically(const std::filesystem::path& path, const std::string& text, std::string& error);

// Moves a damaged file aside as NAME.bad, or NAME.bad.1, .bad.2, ... when
// that exists (an earlier .bad is never replaced). Returns the new path, or
// an empty path with the reason in error.
std::filesystem::path MoveDamagedFileAside(const std::filesystem::path& path, std::string& error);

// Tests: called inside WriteFileAtomically after the temporary file is
// written and synced, just before the rename (null: none). A test forks and
// has the hook _exit() to show what a crash at that moment leaves behind.
void SetAtomicWriteHookForTests(void (*hook)());

// ParseSettings and ParseProgress: the file's text as a JSON object. False
// with "not valid JSON" or "not a JSON object" in error otherwise.
bool ParseJsonObject(std::string_view text, nlohmann::json& out, std::string& error);
