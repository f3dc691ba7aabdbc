// What the web build's C and C++ libraries (emscripten 3.1.6: musl and
// libc++ 14) lack of what the game uses, force-included into every source of
// the web build (web/CMakeLists.txt).
//
// std::from_chars for floats: libc++ 14 has it for integers only. The game
// reads floats with it (stage files, the harness's options), so the web build
// gets the floating-point overloads here. They keep from_chars's rules: no leading space or '+', no hexadecimal in the general format, and
// out of range for a value no float holds. The C library's strtof rounds
// correctly, as from_chars does, so both builds read the same numbers.
#pragma once

#include <cerrno>
#include <cstdio>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace std {

template <class T>
inline from_chars_result gv_from_chars_float(const char* first, const char* last, T& value) {
    const char* p = first;
    if (p != last && *p == '-') ++p;
    if (p == last || !(std::isdigit(static_cast<unsigned char>(*p)) || *p == '.' || *p == 'i' || *p == 'I' ||
                       *p == 'n' || *p == 'N'))
        return {first, errc::invalid_argument};
    if (last - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        value = 0;  // only the "0" is a number in the general format
        return {p + 1, errc()};
    }
    const string text(first, last);
    char* end = nullptr;
    errno = 0;
    const T parsed = sizeof(T) == sizeof(float) ? static_cast<T>(strtof(text.c_str(), &end))
                                                : static_cast<T>(strtod(text.c_str(), &end));
    if (end == text.c_str()) return {first, errc::invalid_argument};
    const char* stop = first + (end - text.c_str());
    if (errno == ERANGE && (std::isinf(parsed) || parsed == 0)) return {stop, errc::result_out_of_range};
    value = parsed;
    return {stop, errc()};
}

inline from_chars_result from_chars(const char* first, const char* last, float& value,
                                    chars_format = chars_format::general) {
    return gv_from_chars_float(first, last, value);
}
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general) {
    return gv_from_chars_float(first, last, value);
}

// std::to_chars for a float, shortest form: the fewest significant digits
// that read back as the same float (what libc++ 14 lacks as well).
inline to_chars_result to_chars(char* first, char* last, float value) {
    char text[48];
    int length = 0;
    for (int digits = 1; digits <= 9; ++digits) {
        length = snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (strtof(text, nullptr) == value) break;
    }
    if (length <= 0 || length > last - first) return {last, errc::value_too_large};
    for (int i = 0; i < length; ++i) first[i] = text[i];
    return {first + length, errc()};
}

}  // namespace std

// renameat2 (Linux only): the browser's file system has none, so the callers'
// fallback for file systems without RENAME_NOREPLACE is taken.
#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
inline int renameat2(int, const char*, int, const char*, unsigned) {
    errno = ENOSYS;
    return -1;
}
#endif
