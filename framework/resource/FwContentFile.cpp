#include "framework/resource/FwContentFile.h"

#include <filesystem>
#include <fstream>

bool FwReadBoundedFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes, std::string& error) {
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        error = "cannot open the file (no such file)";
        return false;
    }
    if (ec) {
        error = "cannot open the file (" + ec.message() + ")";
        return false;
    }
    if (!std::filesystem::is_regular_file(status)) {
        error = "not a regular file";
        return false;
    }
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = "cannot read the file size (" + ec.message() + ")";
        return false;
    }
    if (size > maxBytes) {
        error = "the file is larger than " + std::to_string(maxBytes) + " bytes";
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open the file";
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<uintmax_t>(file.gcount()) != size) {
        error = "cannot read the whole file";
        return false;
    }
    return true;
}
