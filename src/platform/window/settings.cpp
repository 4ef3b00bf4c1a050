// SPDX-License-Identifier: MIT
// settings.cpp -- reading and writing the settings file.
#include "platform/window/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#if defined(_WIN32)
#include <io.h>
#include <process.h>
#endif

#include "platform/common/script.h"
#include "platform/common/text.h"
#include "platform/journal/open_flags.h"
#include "platform/window/key_names.h"
#include "platform/window/small_file.h"

namespace platform {

namespace {

// A tag for a temporary file's name that no other write takes: this
// machine's name and process, and random bits for two machines that share a
// home folder and happen to run the game under the same process number. The
// file is made only where the name is free, so a tag drawn twice costs one
// more try, never another's file.
std::string UniqueTag() {
    char host[256] = "";
#if defined(_WIN32)
    const char* computer = std::getenv("COMPUTERNAME");
    if (computer != nullptr) std::snprintf(host, sizeof host, "%s", computer);
    const long process = _getpid();
#else
    if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    const long process = static_cast<long>(::getpid());
#endif
    std::string tag;
    for (const char* c = host; *c != '\0' && tag.size() < 32; ++c) {
        const bool plain = std::isalnum(static_cast<unsigned char>(*c)) != 0 || *c == '-';
        tag += plain ? *c : '_';
    }
    static std::atomic<unsigned> writes{0};
    std::random_device device;
    char random[17];
    std::snprintf(random, sizeof random, "%08x%08x", device(), device() ^ writes.fetch_add(1));
    return tag + "-" + std::to_string(process) + "-" + random;
}

// Where a path's links lead, link after link; the path itself when it is
// none. A link whose target is missing leads there all the same.
std::filesystem::path LinkTarget(const std::filesystem::path& path) {
    std::filesystem::path at = path;
    std::error_code error;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(at, error); ++hops) {
        const std::filesystem::path to = std::filesystem::read_symlink(at, error);
        if (error) break;
        at = to.is_absolute() ? to : at.parent_path() / to;
    }
    return at;
}

// A settings file is a few hundred bytes; anything much larger is not one.
constexpr std::size_t kMaxFileBytes = 64 * 1024;
// The largest window, either way (pixels).
constexpr std::uint64_t kMaxWindowSide = 16384;
constexpr int kMinWindowWidth = 320;
constexpr int kMinWindowHeight = 200;

// The comment a new file starts with, naming what this system's program does.
#if defined(_WIN32)
constexpr const char* kHeader =
    "# FOMPY TALDEN's settings, %APPDATA%\\fompy-talden\\settings.ini, written by the\n"
    "# game when it ends. Lines it does not know are kept. Keys: e.g. \"left = A, Left\"\n"
    "# (see README.txt). Screenshots (F12) go to Pictures\\fompy-talden; P or Pause\n"
    "# pauses, and a pad's Start resumes (Windows reports no Guide button).";
#else
constexpr const char* kHeader =
    "# FOMPY TALDEN's settings, written by the game when it ends. Lines it does\n"
    "# not know are kept. Keys: e.g. \"left = A, Left\" (see the README, \"Comforts\").";
#endif

// The settings' names in the file, in the order they are written; the
// seven keys follow under their script words ("enter", "left", ...).
enum class Name : std::uint8_t {
    Fullscreen,
    Window,
    Aspect,
    IntegerScale,
    Scaling,
    Renderer,
    Present,
    Volume,
    Mute,
    Autopause,
    FirstKey,
};
constexpr const char* kNames[] = {"fullscreen", "window",  "aspect", "integer_scale", "scaling",
                                  "renderer",   "present", "volume", "mute",          "autopause"};
constexpr int kNameCount = static_cast<int>(Name::FirstKey) + kKeyCount;

std::string NameText(int name) {
    if (name < static_cast<int>(Name::FirstKey)) return kNames[name];
    return KeyName(static_cast<Key>(name - static_cast<int>(Name::FirstKey)));
}

std::optional<int> FindName(std::string_view text) {
    for (int name = 0; name < kNameCount; ++name) {
        if (text == NameText(name)) return name;
    }
    return std::nullopt;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A line of the file: a comment or blank (kept as it is), a section heading
// (also kept: the program reads no sections), a setting, or none of these.
struct Line {
    enum class Kind : std::uint8_t { Kept, Setting, Bad } kind = Kind::Kept;
    std::string_view name;
    std::string_view value;
};

Line ReadLine(std::string_view text) {
    const std::string_view line = Trim(text);
    if (line.empty() || line.front() == '#' || line.front() == ';' ||
        (line.front() == '[' && line.back() == ']')) {
        return {};
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trim(line.substr(0, equals)).empty()) {
        return {Line::Kind::Bad, {}, {}};
    }
    return {Line::Kind::Setting, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

std::optional<bool> ReadYesNo(std::string_view value) {
    for (std::string_view yes : {"yes", "true", "on", "1"}) {
        if (value == yes) return true;
    }
    for (std::string_view no : {"no", "false", "off", "0"}) {
        if (value == no) return false;
    }
    return std::nullopt;
}

const char* YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string Quoted(std::string_view text) {
    return "'" + PrintableText(text) + "'";
}

std::string Joined(const std::vector<std::string>& keys) {
    std::string text;
    for (const std::string& key : keys) text += (text.empty() ? "" : ", ") + key;
    return text;
}

// The value as the file holds it; empty for a window size not yet known.
std::string ValueText(const Settings& settings, int name) {
    switch (static_cast<Name>(name)) {
        case Name::Fullscreen:
            return YesNo(settings.fullscreen);
        case Name::Window:
            if (settings.windowWidth <= 0 || settings.windowHeight <= 0) return {};
            return std::to_string(settings.windowWidth) + "x" +
                   std::to_string(settings.windowHeight);
        case Name::Aspect:
            return settings.aspect ? "4:3" : "square";
        case Name::IntegerScale:
            return YesNo(settings.integerScale);
        case Name::Scaling:
            return settings.scaling;
        case Name::Renderer:
            return settings.renderer;
        case Name::Present:
            return settings.present;
        case Name::Volume:
            return std::to_string(settings.volume);
        case Name::Mute:
            return YesNo(settings.mute);
        case Name::Autopause:
            return YesNo(settings.autopause);
        default:
            return Joined(
                settings.keys[static_cast<std::size_t>(name - static_cast<int>(Name::FirstKey))]);
    }
}

// Takes the value of a key's line into bindings; the reason it is refused otherwise.
std::string ReadKeys(std::string_view value, std::vector<std::string>& keys) {
    std::vector<std::string> read;
    while (true) {
        const std::size_t comma = value.find(',');
        const std::string_view item = Trim(value.substr(0, comma));
        if (!item.empty()) {
            const std::optional<std::string_view> key = FindKeyName(item);
            if (!key) return "has no key named " + Quoted(item);
            if (const std::optional<std::string_view> comfort = ComfortOf(*key)) {
                return "cannot take " + std::string(*key) + ", the " + std::string(*comfort) +
                       " key";
            }
            if (std::find(read.begin(), read.end(), *key) == read.end()) read.emplace_back(*key);
        }
        if (comma == std::string_view::npos) break;
        value.remove_prefix(comma + 1);
    }
    if (read.empty()) return "needs at least one key";
    keys = std::move(read);
    return {};
}

// Takes a setting's value; the reason it is refused otherwise.
std::string ReadValue(int name, std::string_view value, Settings& settings) {
    const auto yesNo = [&](bool& into) -> std::string {
        const std::optional<bool> read = ReadYesNo(value);
        if (!read) return "expects yes or no, not " + Quoted(value);
        into = *read;
        return {};
    };
    switch (static_cast<Name>(name)) {
        case Name::Fullscreen:
            return yesNo(settings.fullscreen);
        case Name::Window: {
            const std::size_t x = value.find('x');
            const Decimal width = ParseDecimal(value.substr(0, x), kMaxWindowSide);
            const Decimal height = x == std::string_view::npos
                                       ? Decimal{}
                                       : ParseDecimal(value.substr(x + 1), kMaxWindowSide);
            if (width.status != Decimal::Status::Ok || height.status != Decimal::Status::Ok ||
                width.value < kMinWindowWidth || height.value < kMinWindowHeight) {
                return "expects WIDTHxHEIGHT from 320x200 to 16384x16384, not " + Quoted(value);
            }
            settings.windowWidth = static_cast<int>(width.value);
            settings.windowHeight = static_cast<int>(height.value);
            return {};
        }
        case Name::Aspect:
            if (value != "4:3" && value != "square") {
                return "expects 4:3 or square, not " + Quoted(value);
            }
            settings.aspect = value == "4:3";
            return {};
        case Name::IntegerScale:
            return yesNo(settings.integerScale);
        case Name::Scaling:
            if (value != "nearest" && value != "sharp") {
                return "expects nearest or sharp, not " + Quoted(value);
            }
            settings.scaling = std::string(value);
            return {};
        case Name::Renderer:
            if (value != "auto" && value != "gpu" && value != "software") {
                return "expects auto, gpu or software, not " + Quoted(value);
            }
            settings.renderer = std::string(value);
            return {};
        case Name::Present:
            if (value != "auto" && value != "immediate" && value != "vsync") {
                return "expects auto, immediate or vsync, not " + Quoted(value);
            }
            settings.present = std::string(value);
            return {};
        case Name::Volume: {
            const Decimal volume = ParseDecimal(value, 100);
            if (volume.status != Decimal::Status::Ok) {
                return "expects a whole number from 0 to 100, not " + Quoted(value);
            }
            settings.volume = static_cast<int>(volume.value);
            return {};
        }
        case Name::Mute:
            return yesNo(settings.mute);
        case Name::Autopause:
            return yesNo(settings.autopause);
        default:
            return ReadKeys(
                value,
                settings.keys[static_cast<std::size_t>(name - static_cast<int>(Name::FirstKey))]);
    }
}

// Splits text into lines, without their line ends.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

KeyBindings DefaultKeyBindings() {
    KeyBindings keys;
    keys[static_cast<std::size_t>(Key::Enter)] = {"Enter", "KeypadEnter"};
    keys[static_cast<std::size_t>(Key::Escape)] = {"Escape"};
    keys[static_cast<std::size_t>(Key::Space)] = {"Space"};
    keys[static_cast<std::size_t>(Key::Left)] = {"Left", "Keypad4"};
    keys[static_cast<std::size_t>(Key::Up)] = {"Up", "Keypad8"};
    keys[static_cast<std::size_t>(Key::Right)] = {"Right", "Keypad6"};
    keys[static_cast<std::size_t>(Key::Down)] = {"Down", "Keypad2"};
    return keys;
}

std::optional<Key> BoundKey(const KeyBindings& bindings, std::string_view keyName) {
    for (std::size_t k = 0; k < bindings.size(); ++k) {
        const std::vector<std::string>& keys = bindings[k];
        if (std::find(keys.begin(), keys.end(), keyName) != keys.end()) {
            return static_cast<Key>(k);
        }
    }
    return std::nullopt;
}

void ApplyChanges(Settings& settings, const SettingsChanges& changes) {
    if (changes.fullscreen) settings.fullscreen = *changes.fullscreen;
    if (changes.windowSize) {
        settings.windowWidth = changes.windowSize->first;
        settings.windowHeight = changes.windowSize->second;
    }
    if (changes.volume) settings.volume = *changes.volume;
    if (changes.mute) settings.mute = *changes.mute;
}

SettingsFile ParseSettings(std::string_view text, std::string_view fileName) {
    SettingsFile file;
    const std::string where = PrintableText(fileName);
    if (text.size() > kMaxFileBytes) {
        file.warnings.push_back(where + ": larger than " + std::to_string(kMaxFileBytes / 1024) +
                                " KiB, not a settings file; the defaults instead, and the file "
                                "is left as it is");
        file.unreadable = true;
        return file;
    }
    file.lines = SplitLines(text);
    std::array<std::size_t, kKeyCount> keyLine{};  // where each key's binding was read
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string at = where + ":" + std::to_string(i + 1) + ": ";
        const Line line = ReadLine(file.lines[i]);
        if (line.kind == Line::Kind::Bad) {
            file.warnings.push_back(at + "not a \"name = value\" line: " +
                                    Quoted(Trim(file.lines[i])) + "; passed over");
            continue;
        }
        if (line.kind != Line::Kind::Setting) continue;
        const std::optional<int> name = FindName(line.name);
        if (!name) continue;  // a later version's, or the player's own: kept
        const std::string refused = ReadValue(*name, line.value, file.settings);
        if (!refused.empty()) {
            const Settings defaults;
            std::string instead = ValueText(defaults, *name);
            file.warnings.push_back(at + "'" + NameText(*name) + "' " + refused + "; " +
                                    (instead.empty() ? "the default" : instead) + " instead");
            ReadValue(*name, instead, file.settings);  // back to the default
            if (instead.empty()) file.settings.windowWidth = file.settings.windowHeight = 0;
        } else if (*name >= static_cast<int>(Name::FirstKey)) {
            keyLine[static_cast<std::size_t>(*name - static_cast<int>(Name::FirstKey))] = i + 1;
        }
    }
    // One keyboard key holding two of the game's keys: the default keys, all of them.
    const KeyBindings& keys = file.settings.keys;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        for (const std::string& key : keys[k]) {
            for (std::size_t other = k + 1; other < keys.size(); ++other) {
                const auto& list = keys[other];
                if (std::find(list.begin(), list.end(), key) == list.end()) continue;
                const std::size_t line = std::max(keyLine[k], keyLine[other]);
                file.warnings.push_back(where + ":" + std::to_string(line) + ": " + key +
                                        " cannot be both '" + KeyName(static_cast<Key>(k)) +
                                        "' and '" + KeyName(static_cast<Key>(other)) +
                                        "'; the default keys instead");
                file.settings.keys = DefaultKeyBindings();
                return file;
            }
        }
    }
    return file;
}

std::string FormatSettings(const Settings& settings, const std::vector<std::string>& lines,
                           const SettingsChanges& changed) {
    std::array<bool, kNameCount> rewrite{};
    rewrite[static_cast<std::size_t>(Name::Fullscreen)] = changed.fullscreen.has_value();
    rewrite[static_cast<std::size_t>(Name::Window)] = changed.windowSize.has_value();
    rewrite[static_cast<std::size_t>(Name::Volume)] = changed.volume.has_value();
    rewrite[static_cast<std::size_t>(Name::Mute)] = changed.mute.has_value();
    std::string text;
    std::array<bool, kNameCount> present{};
    if (lines.empty()) text = std::string(kHeader) + "\n";
    for (const std::string& kept : lines) {
        const Line line = ReadLine(kept);
        const std::optional<int> name =
            line.kind == Line::Kind::Setting ? FindName(line.name) : std::nullopt;
        const auto index = static_cast<std::size_t>(name.value_or(0));
        // What the player wrote stays as written, faults and all, unless
        // the player changed that setting while playing.
        if (!name || !rewrite[index]) {
            text += kept + "\n";
            if (name) present[index] = true;
            continue;
        }
        // A changed setting given twice is written once, where it first
        // stood: a later line would take its place again at the next start.
        if (present[index]) continue;
        present[index] = true;
        const std::string value = ValueText(settings, *name);
        if (!value.empty()) text += NameText(*name) + " = " + value + "\n";
    }
    // The settings the file lacks, where they fit: a file the reader would
    // refuse as too large would cost the player every setting in it.
    for (int name = 0; name < kNameCount; ++name) {
        const std::string value = ValueText(settings, name);
        if (present[static_cast<std::size_t>(name)] || value.empty()) continue;
        const std::string line = NameText(name) + " = " + value + "\n";
        if (text.size() + line.size() <= kMaxFileBytes) text += line;
    }
    return text;
}

std::string SettingsPath() {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
#if defined(_WIN32)
    const std::string appData = variable("APPDATA");
    return appData.empty() ? std::string() : appData + "\\fompy-talden\\settings.ini";
#else
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the desktop's rules say.
    const std::string config = variable("XDG_CONFIG_HOME");
    if (!config.empty() && config.front() == '/') return config + "/fompy-talden/settings.ini";
    const std::string home = variable("HOME");
    return home.empty() ? std::string() : home + "/.config/fompy-talden/settings.ini";
#endif
}

SettingsFile ReadSettingsFile(const std::string& path) {
    const SmallFile read = ReadSmallFile(path, kMaxFileBytes);
    if (read.status == SmallFile::Status::Missing) {
        SettingsFile defaults;
        defaults.missing = true;
        return defaults;
    }
    if (read.status == SmallFile::Status::Refused) {
        SettingsFile defaults;
        defaults.warnings.push_back("cannot read the settings " + Quoted(path) + ": " +
                                    read.reason +
                                    "; the defaults instead, and the file is left "
                                    "as it is");
        defaults.unreadable = true;
        return defaults;
    }
    return ParseSettings(read.text, path);
}

Result<void> WriteSettingsFile(const std::string& path, const std::string& text) {
    const auto failed = [&](const std::string& cause) {
        return Failure{"cannot write the settings " + Quoted(path) + ": " + cause};
    };
    if (text.size() > kMaxFileBytes) {
        return failed("it would be larger than " + std::to_string(kMaxFileBytes / 1024) +
                      " KiB, more than the game reads; the file is left as it is");
    }
    std::error_code error;
    // A settings.ini that is a link (to a folder of dotfiles, say) stays one:
    // the file it leads to is replaced, from beside it.
    const std::filesystem::path target = LinkTarget(path);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), error);
    if (error) return failed(error.message());
    // The mode the player gave the file stays; a new one gets the usual.
    struct stat old {};
    const bool replacing = ::stat(target.string().c_str(), &old) == 0;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target.string() + ".new-" + UniqueTag();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | kOpenBinary | kOpenCloseOnExec,
                    0666);
        if (fd < 0 && errno != EEXIST) return failed(std::strerror(errno));
    }
    if (fd < 0) return failed(std::strerror(EEXIST));
    bool written = true;
    for (std::size_t done = 0; written && done < text.size();) {
        const auto n = ::write(fd, text.data() + done, static_cast<unsigned>(text.size() - done));
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (written) done += static_cast<std::size_t>(n);
    }
#if !defined(_WIN32)
    if (written && replacing) {
        // Best effort for the owner (only root may give a file away); the
        // mode is the player's choice and must hold.
        (void)!::fchown(fd, old.st_uid, old.st_gid);
        written = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    // On the disk before it takes the old file's place.
    written = written && ::fsync(fd) == 0;
#else
    (void)replacing;
#endif
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
        const int cause = written ? errno : writeError;
        std::remove(temporary.c_str());
        return failed(std::strerror(cause));
    }
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::remove(temporary.c_str());
        return failed(error.message());
    }
    return {};
}

}  // namespace platform
