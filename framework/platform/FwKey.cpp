#include "framework/platform/FwKey.h"

#include <cctype>

namespace {
struct NamedKey {
    int vk;
    const char* name;
};
constexpr NamedKey kNamedKeys[] = {
    {FwKey::Space, "SPACE"},
    {FwKey::Escape, "ESC"},
    {FwKey::Tab, "TAB"},
    {FwKey::F11, "F11"},
    {FwKey::LButton, "LMB"},
    {FwKey::RButton, "RMB"},
};
}  // namespace

std::string FwKeyName(int vk) {
    if (FwKey::IsLetterOrDigit(vk)) return std::string(1, static_cast<char>(vk));
    for (const NamedKey& k : kNamedKeys) {
        if (k.vk == vk) return k.name;
    }
    return {};
}

std::optional<int> FwKeyFromName(std::string_view name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.size() == 1 && FwKey::IsLetterOrDigit(upper[0])) return upper[0];
    for (const NamedKey& k : kNamedKeys) {
        if (upper == k.name) return k.vk;
    }
    return std::nullopt;
}
