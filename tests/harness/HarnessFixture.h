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

#include "tests/support/HarnessCommand.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

class HarnessRun : public testing::Test {
protected:
    std::string File(const std::string& name) const { return dir_.File(name); }

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

    TempDir dir_{"gv_harness"};
    std::string stderr_;
};

