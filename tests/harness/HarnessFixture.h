// Shared by the harness tests: runs the real gilded_vault_harness binary from
// the repository root in a scratch folder per test and reads back its trace,
// screenshots and standard error.
#pragma once

#include <gtest/gtest.h>
#include <stb_image.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

inline std::string HarnessPath() {
    if (const char* env = std::getenv("GV_HARNESS"); env && *env) return env;
    return std::string(GV_BINARY_DIR) + "/gilded_vault_harness";
}

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class HarnessRun : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("gv_harness_" + std::to_string(::getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string File(const std::string& name) const { return (dir_ / name).string(); }

    std::string WriteScript(const std::string& text) const {
        std::string path = File("input.txt");
        std::ofstream(path) << text;
        return path;
    }

    // Runs the harness from the repository root (it reads Data/); returns
    // its exit code, or -1 if it did not exit normally.
    int Run(const std::string& args) {
        std::string command = "cd " + Quote(GV_SOURCE_DIR) + " && " + Quote(HarnessPath()) + " " + args + " 2>" +
                              Quote(File("stderr.txt"));
        int status = std::system(command.c_str());
        std::ifstream err(File("stderr.txt"));
        stderr_.assign(std::istreambuf_iterator<char>(err), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<nlohmann::json> ReadTrace() const {
        std::vector<nlohmann::json> frames;
        std::ifstream in(File("trace.jsonl"));
        std::string line;
        while (std::getline(in, line)) frames.push_back(nlohmann::json::parse(line));
        return frames;
    }

    std::string ReadText(const std::string& name) const {
        std::ifstream in(File(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // RGB pixels of a screenshot; empty when the file is missing or unreadable.
    std::vector<uint8_t> ReadPng(const std::string& name, int& width, int& height) const {
        int channels = 0;
        stbi_uc* pixels = stbi_load(File(name).c_str(), &width, &height, &channels, 3);
        if (!pixels) return {};
        std::vector<uint8_t> rgb(pixels, pixels + static_cast<size_t>(width) * height * 3);
        stbi_image_free(pixels);
        return rgb;
    }

    static bool HasEvent(const nlohmann::json& frame, const std::string& event) {
        for (const auto& e : frame.at("events"))
            if (e == event) return true;
        return false;
    }

    fs::path dir_;
    std::string stderr_;
};

