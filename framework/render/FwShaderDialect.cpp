#include "framework/render/FwShaderDialect.h"

#include <regex>

namespace {

constexpr char kDesktopVersion[] = "#version 450 core\n";
constexpr char kEsHeader[] =
    "#version 300 es\n"
    "precision highp float;\n"
    "precision highp int;\n"
    "precision highp sampler2D;\n";

// Every match of re in text replaced by what f makes of it.
template <class F>
std::string ReplaceAll(const std::string& text, const std::regex& re, F f) {
    std::string out;
    auto last = text.cbegin();
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
        out.append(last, (*it)[0].first);
        out += f(*it);
        last = (*it)[0].second;
    }
    out.append(last, text.cend());
    return out;
}

}  // namespace

bool FwToEsShader(const std::string& desktopSource, bool vertex, FwEsShader& out, std::string& error) {
    const std::string version(kDesktopVersion);
    if (desktopSource.compare(0, version.size(), version) != 0) {
        error = "the shader does not start with '#version 450 core'";
        return false;
    }
    out = FwEsShader{};
    std::string body = desktopSource.substr(version.size());

    // layout(std140, row_major, binding = 7) uniform cbCamera {
    static const std::regex block(R"(layout\(([^)]*?),\s*binding\s*=\s*(\d+)\)\s*uniform\s+(\w+)\s*\{)");
    // layout(binding = 0) uniform sampler2D g_baseTex;
    static const std::regex sampler(R"(layout\(\s*binding\s*=\s*(\d+)\s*\)\s*uniform\s+(\w+)\s+(\w+)\s*;)");
    std::string text = ReplaceAll(body, block, [&out](const std::smatch& m) {
        out.bindings.push_back({m[3].str(), std::stoi(m[2].str()), false});
        return "layout(" + m[1].str() + ") uniform " + m[3].str() + " {";
    });
    text = ReplaceAll(text, sampler, [&out](const std::smatch& m) {
        out.bindings.push_back({m[3].str(), std::stoi(m[1].str()), true});
        return "uniform " + m[2].str() + " " + m[3].str() + ";";
    });

    if (vertex) {
        static const std::regex main(R"(\bvoid\s+main\s*\(\s*\))");
        if (!std::regex_search(text, main)) {
            error = "the vertex shader has no main";
            return false;
        }
        text = std::regex_replace(text, main, "void fw_main()", std::regex_constants::format_first_only);
        text +=
            "\nvoid main() {\n"
            "    fw_main();\n"
            "    gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n"
            "}\n";
    }
    out.source = kEsHeader + text;
    return true;
}
