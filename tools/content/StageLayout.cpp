// Reads a stage coordinate file the way the game's formatted reads consume
// it: a count per section ("%d"), records of comma-separated numbers ("%f"),
// a comma straight after its number, any white space between numbers, and the
// showcase record last. Text after the showcase record is never read.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "tools/content/StageBuild.h"

namespace stagebuild {

namespace {

constexpr long kMaxCount = 1000;

class Reader {
public:
    Reader(const std::string& text, std::string& error) : s_(text), error_(error) {}

    bool Count(const char* section, long& n) {
        SkipSpace();
        size_t start = pos_;
        if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
        while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        std::string word = s_.substr(start, pos_ - start);
        char* end = nullptr;
        n = std::strtol(word.c_str(), &end, 10);
        if (word.empty() || end != word.c_str() + word.size()) {
            return Fail(section, "a record count is missing");
        }
        if (n < 0 || n > kMaxCount) return Fail(section, "count " + word + " is out of range");
        return true;
    }

    // One record of `n` numbers separated by commas; `intAt` marks the field
    // read with "%d" (or -1).
    bool Record(const char* section, size_t n, int intAt, std::vector<float>& out) {
        out.clear();
        for (size_t i = 0; i < n; ++i) {
            if (i > 0) {
                if (pos_ >= s_.size() || s_[pos_] != ',') {
                    return Fail(section, "a comma must follow field " + std::to_string(i) + " at once");
                }
                ++pos_;
            }
            SkipSpace();
            float v = 0;
            if (static_cast<int>(i) == intAt ? !Int(v) : !Float(v)) {
                return Fail(section, "field " + std::to_string(i + 1) + " is not a number");
            }
            out.push_back(v);
        }
        return true;
    }

private:
    void SkipSpace() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) {
            if (s_[pos_] == '\n') ++line_;
            ++pos_;
        }
    }

    bool Float(float& v) {
        const char* begin = s_.c_str() + pos_;
        char* end = nullptr;
        errno = 0;
        v = std::strtof(begin, &end);
        if (end == begin || errno == ERANGE || !std::isfinite(v)) return false;
        // "%f" takes no hexadecimal, infinity or NaN forms we would not write
        for (const char* c = begin; c < end; ++c) {
            if (!std::isdigit(static_cast<unsigned char>(*c)) && std::string("+-.eE").find(*c) == std::string::npos) {
                return false;
            }
        }
        pos_ += static_cast<size_t>(end - begin);
        return true;
    }

    bool Int(float& v) {
        const char* begin = s_.c_str() + pos_;
        char* end = nullptr;
        long n = std::strtol(begin, &end, 10);
        if (end == begin || n < -1000000 || n > 1000000) return false;
        pos_ += static_cast<size_t>(end - begin);
        v = static_cast<float>(n);
        return true;
    }

    bool Fail(const char* section, const std::string& what) {
        error_ = std::string(section) + " section, line " + std::to_string(line_) + ": " + what;
        return false;
    }

    const std::string& s_;
    std::string& error_;
    size_t pos_ = 0;
    int line_ = 1;
};

Vec3 V(const std::vector<float>& f, size_t i) { return {f[i], f[i + 1], f[i + 2]}; }

bool ReadDoors(Reader& r, const char* section, bool timed, std::vector<DoorRec>& out) {
    long n = 0;
    if (!r.Count(section, n)) return false;
    std::vector<float> f;
    for (long i = 0; i < n; ++i) {
        if (!r.Record(section, timed ? 8 : 7, timed ? 7 : -1, f)) return false;
        DoorRec d{V(f, 0), V(f, 3), f[6], timed ? static_cast<int>(f[7]) : 0};
        out.push_back(d);
    }
    return true;
}

}  // namespace

bool ParseLayout(const std::string& text, Layout& out, std::string& error) {
    out = Layout{};
    Reader r(text, error);
    long n = 0;
    std::vector<float> f;
    if (!r.Count("box", n)) return false;
    for (long i = 0; i < n; ++i) {
        if (!r.Record("box", 3, -1, f)) return false;
        out.boxes.push_back(V(f, 0));
    }
    if (!ReadDoors(r, "pushing-door", false, out.pushing)) return false;
    if (!ReadDoors(r, "return-door", false, out.returning)) return false;
    if (!r.Count("window", n)) return false;
    for (long i = 0; i < n; ++i) {
        if (!r.Record("window", 7, -1, f)) return false;
        out.windows.push_back({V(f, 0), V(f, 3), f[6]});
    }
    if (!ReadDoors(r, "time-door", true, out.timed)) return false;
    if (!r.Count("return-laser", n)) return false;
    for (long i = 0; i < n; ++i) {
        if (!r.Record("return-laser", 11, 3, f)) return false;
        out.lasers.push_back({V(f, 0), static_cast<int>(f[3]), V(f, 4), V(f, 7), f[10]});
    }
    if (!r.Record("showcase", 3, -1, f)) return false;
    out.showcase = V(f, 0);
    return true;
}

}  // namespace stagebuild
