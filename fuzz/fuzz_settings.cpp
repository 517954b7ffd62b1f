// Fuzz target for the settings file parser: any bytes give start-up settings within their
// ranges; setting a key in any file reads back as the value set and leaves every other
// start-up key reading as before.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/profile.h"
#include "formats/settings_file.h"

namespace {

using namespace zarni;

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "fuzz_settings: %s: %s\n", what, detail.c_str());
    std::abort();
}

struct Key {
    const char* section;
    const char* key;
};

const Key kKeys[] = {
    {"View", "BackColor"},        {"View", "WireColor"},       {"View", "HandleColor"},
    {"View", "OtherObjectColor"}, {"View", "DefaultAltitude"}, {"View", "Fovy"},
    {"View", "AxesSize"},         {"View", "fSynchronize"},    {"DefaultValue", "DivLevel"},
    {"BackPicture", "Visible"},   {"Control", "Flags"},
};
constexpr size_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

// No value holds a line break, so this default tells a missing key from any value.
const std::string kMissing = "\n";

// Names as the parser compares them: trimmed, ASCII case ignored.
std::string Folded(const std::string& name) {
    const char* blank = " \t\r\v\f";
    const size_t first = name.find_first_not_of(blank);
    if (first == std::string::npos) return "";
    std::string s = name.substr(first, name.find_last_not_of(blank) - first + 1);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

void CheckEdit(const std::string& bytes, const ProfileText& text, const std::string& section,
               const std::string& key, const std::string& value) {
    std::string edited = bytes;
    if (!SetProfileValue(edited, section, key, value)) return;
    const ProfileText again(edited);
    const std::string got = again.String(section, key, kMissing);
    if (got != value) Fail("a value set does not read back", section + "/" + key + "=" + got);
    for (const Key& k : kKeys) {
        if (Folded(k.section) == Folded(section) && Folded(k.key) == Folded(key)) continue;
        if (again.String(k.section, k.key, kMissing) != text.String(k.section, k.key, kMissing))
            Fail("setting a key changed another", section + "/" + key + " changed " + k.key);
    }
    if (!SettingsInRange(SettingsFrom(again))) Fail("edited settings out of range", edited);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const ProfileText text(bytes);
    const Settings settings = SettingsFrom(text);
    if (!SettingsInRange(settings)) Fail("settings out of range", bytes);

    // One of the program's own keys, set to a signed number as the owners write it.
    const Key& k = kKeys[size % kKeyCount];
    const auto number = static_cast<int32_t>(static_cast<uint32_t>(size) * 2654435761u);
    const std::string value = std::to_string(number);
    if (std::string edited = bytes; !SetProfileValue(edited, k.section, k.key, value))
        Fail("a plain key was refused", k.key);
    CheckEdit(bytes, text, k.section, k.key, value);

    // A section and key named by the input's first bytes, "section\0key\0", where it has them.
    const size_t nul = bytes.find('\0');
    if (nul != std::string::npos && nul <= 32) {
        const size_t nul2 = bytes.find('\0', nul + 1);
        if (nul2 != std::string::npos && nul2 - nul <= 33) {
            CheckEdit(bytes, text, bytes.substr(0, nul), bytes.substr(nul + 1, nul2 - nul - 1),
                      value);
        }
    }
    return 0;
}
