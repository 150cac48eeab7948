#include "record/record.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>

#include "shared/layout_rules.h"
#include "shared/payload.h"

namespace {
using Change = InstallRecord::Change;

constexpr const char *kKinds[] = {"file", "awt", "autoexec"};
// The names an installation gives what it writes, each after a backslash as in shared/payload.h.
constexpr const char *kVmFiles[] = {kAccessibilityProperties, kTamrixJar, kOstrelJar};
constexpr const char *kAwtFiles[] = {kAwtProperties};
constexpr const char *kSystemFiles[] = {kJavaOstrelDll, kWindowsOstrelDll, kJawtOstrelDll};

// A field as written: its tab, line ends and percent signs as %09, %0A, %0D, %25.
std::string escaped(const std::string &field) {
    std::string out;
    for (char c : field) {
        if (c == '\t' || c == '\n' || c == '\r' || c == '%') {
            const char *hex = "0123456789ABCDEF";
            out += {'%', hex[(c >> 4) & 0xF], hex[c & 0xF]};
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescaped(const std::string &field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '%') {
            out += field[i];
            continue;
        }
        const std::string hex = "0123456789ABCDEF";
        const std::size_t high = i + 2 < field.size() ? hex.find(field[i + 1]) : std::string::npos;
        const std::size_t low = high != std::string::npos ? hex.find(field[i + 2]) : std::string::npos;
        if (low == std::string::npos)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::optional<unsigned long> number(const std::string &digits) {
    unsigned long n = 0;
    for (char c : digits)
        if (c < '0' || c > '9' || n > 99999999)
            return std::nullopt;
        else
            n = n * 10 + static_cast<unsigned long>(c - '0');
    return digits.empty() ? std::nullopt : std::optional<unsigned long>(n);
}

std::string line(std::initializer_list<std::string> fields) {
    std::string out;
    for (const std::string &field : fields)
        out += (out.empty() ? "" : "\t") + escaped(field);
    return out + "\n";
}

// A change from its line's fields: kind, path, kept version, and for a file the checksums, if noted.
std::optional<Change> changeFrom(const std::vector<std::string> &fields) {
    for (int kind = Change::File; kind <= Change::Autoexec; ++kind) {
        if (fields[0] != kKinds[kind])
            continue;
        if (fields.size() == 3)
            return Change{static_cast<Change::Kind>(kind), fields[1], fields[2]};
        if (fields.size() != 4 || kind != Change::File)
            return std::nullopt;
        const std::vector<std::string> checksums = splitAt(fields[3], ',');
        if (std::find(checksums.begin(), checksums.end(), std::string()) != checksums.end())
            return std::nullopt;
        return Change{Change::File, fields[1], fields[2], checksums};
    }
    return std::nullopt;
}

// A path's components between backslashes that are whole characters, empty ones too.
using Components = std::vector<std::string>;
Components components(const std::string &path, LeadBytePredicate isLeadByte) {
    Components parts(1);
    for (std::size_t i = 0, n; i < path.size(); i += n) {
        n = charLength(path, i, isLeadByte);
        if (n == 1 && path[i] == '\\')
            parts.emplace_back();
        else
            parts.back().append(path, i, n);
    }
    return parts;
}

bool isDrive(const std::string &part) {
    const char letter = asciiLower(part.empty() ? '\0' : part[0]);
    return part.size() == 2 && letter >= 'a' && letter <= 'z' && part[1] == ':';
}

// "X:\" and names below it, none empty, "." or "..", and none with a character that Windows reads as more
// than a name: a tampered record must not reach out of the folders it names.
bool isPlainAbsolute(const Components &parts, LeadBytePredicate isLeadByte) {
    if (parts.size() < 2 || !isDrive(parts[0]))
        return false;
    for (std::size_t k = 1; k < parts.size(); ++k) {
        const std::string &part = parts[k];
        if (part.empty() || part == "." || part == "..")
            return false;
        for (std::size_t i = 0; i < part.size(); i += charLength(part, i, isLeadByte))
            if (charLength(part, i, isLeadByte) == 1 &&
                (static_cast<unsigned char>(part[i]) < 0x20 ||
                 std::string_view("/*?\"<>|:").find(part[i]) != std::string_view::npos))
                return false;
    }
    return true;
}

// A folder's components, empty ones left out; none when it does not begin with a drive.
Components folderComponents(const std::string &folder, LeadBytePredicate isLeadByte) {
    Components parts = components(folder, isLeadByte);
    parts.erase(std::remove(parts.begin(), parts.end(), std::string()), parts.end());
    return parts.empty() || !isDrive(parts[0]) ? Components() : parts;
}

// The folder's components are the path's first ones: "c:\t\jdk" holds "c:\t\jdk\x", not "c:\t\jdk14\x".
bool liesIn(const Components &path, const Components &folder, LeadBytePredicate isLeadByte) {
    return !folder.empty() && folder.size() <= path.size() &&
           std::equal(folder.begin(), folder.end(), path.begin(),
                      [&](const std::string &a, const std::string &b) {
                          return sameIgnoringAsciiCase(a, b, isLeadByte);
                      });
}

template <std::size_t N>
bool isNamed(const Components &path, const char *const (&names)[N], LeadBytePredicate isLeadByte) {
    return std::any_of(std::begin(names), std::end(names), [&](const char *name) {
        return sameIgnoringAsciiCase(path.back(), name + 1, isLeadByte);
    });
}

// What RecordStore::keep names a kept version: its number, then ".bak".
bool isBackupName(const std::string &name) {
    const std::size_t digits = name.find_first_not_of("0123456789");
    return digits != 0 && digits != std::string::npos && name.compare(digits, std::string::npos, ".bak") == 0;
}
} // namespace

const InstallRecord::Change *InstallRecord::find(const std::string &path) const {
    for (const Change &c : changes)
        if (c.path == path)
            return &c;
    return nullptr;
}

std::optional<std::string> InstallRecord::problem(const std::string &systemDir,
                                                  const std::string &autoexecPath,
                                                  LeadBytePredicate isLeadByte) const {
    std::vector<Components> vmFolders;
    for (const std::string &home : homes)
        vmFolders.push_back(folderComponents(home, isLeadByte));
    for (const std::string &vm : vms) // a record from before home lines noted each VM before its files
        if (const std::optional<std::string> home = homeFromBinDir(vm, isLeadByte))
            vmFolders.push_back(folderComponents(*home, isLeadByte));
    const Components system = folderComponents(systemDir, isLeadByte);
    const auto inVm = [&](const Components &path) {
        return std::any_of(vmFolders.begin(), vmFolders.end(),
                           [&](const Components &folder) { return liesIn(path, folder, isLeadByte); });
    };
    const auto inSystem = [&](const Components &path) {
        return path.size() == system.size() + 1 && liesIn(path, system, isLeadByte);
    };
    // What is wrong with where a change of this kind lies, if anything.
    const auto placeProblem = [&](const std::string &path, Change::Kind kind) -> std::optional<std::string> {
        const Components parts = components(path, isLeadByte);
        if (!isPlainAbsolute(parts, isLeadByte))
            return path + " is not a plain absolute path";
        if (kind == Change::Autoexec) {
            if (!sameIgnoringAsciiCase(path, autoexecPath, isLeadByte))
                return path + " is not " + autoexecPath;
        } else if (kind == Change::File && isNamed(parts, kSystemFiles, isLeadByte)) {
            if (!inSystem(parts))
                return path + " is not in " + systemDir;
        } else if (kind == Change::File ? !isNamed(parts, kVmFiles, isLeadByte)
                                        : !isNamed(parts, kAwtFiles, isLeadByte)) {
            return path + " is not a file that the installation changes";
        } else if (!inVm(parts)) {
            return path + " lies in no Java VM's folder";
        }
        return std::nullopt;
    };

    for (const Change &c : changes) {
        if (std::optional<std::string> wrong = placeProblem(c.path, c.kind))
            return wrong;
        if (!c.backup.empty() && !isBackupName(c.backup))
            return c.backup + " is not the name of a kept version";
    }
    for (const std::string &target : targets) {
        const Components parts = components(target, isLeadByte);
        if (!isPlainAbsolute(parts, isLeadByte))
            return target + " is not a plain absolute path";
        if (!inVm(parts))
            return target + " lies in no Java VM's folder";
    }
    std::vector<std::string> dlls = countedDlls;
    for (const auto &dll : releasing)
        dlls.push_back(dll.first);
    for (const auto &dll : raising)
        dlls.push_back(dll.first);
    for (const std::string &dll : dlls) {
        if (!isNamed(components(dll, isLeadByte), kSystemFiles, isLeadByte))
            return dll + " is not a DLL of the Java Ostrel";
        if (std::optional<std::string> wrong = placeProblem(dll, Change::File))
            return wrong;
    }
    return std::nullopt;
}

std::string InstallRecord::text() const {
    std::string out;
    for (const std::string &vm : vms)
        out += line({"vm", vm});
    for (const std::string &home : homes)
        out += line({"home", home});
    for (const Change &c : changes) {
        std::string checksumList;
        for (const std::string &checksum : c.checksums)
            checksumList += (checksumList.empty() ? "" : ",") + checksum;
        out += c.kind == Change::File && !c.checksums.empty()
                   ? line({kKinds[c.kind], c.path, c.backup, checksumList})
                   : line({kKinds[c.kind], c.path, c.backup});
    }
    for (const std::string &target : targets)
        out += line({"target", target});
    if (classpathKept)
        out += classpath ? line({"classpath", *classpath}) : line({"classpath"});
    for (const std::string &dll : countedDlls)
        out += line({"dll", dll});
    for (const auto &dll : releasing)
        out += line({"releasing", dll.first, decimal(dll.second)});
    for (const auto &dll : raising)
        out += line({"raising", dll.first, decimal(dll.second)});
    return out + "end\n"; // a record cut short lacks it
}

std::optional<InstallRecord> InstallRecord::parse(const std::string &text) {
    InstallRecord record;
    bool ended = false;
    for (std::size_t begin = 0, end; begin < text.size() && !ended; begin = end + 1) {
        end = text.find('\n', begin);
        if (end == std::string::npos)
            return std::nullopt;
        std::vector<std::string> fields = splitAt(text.substr(begin, end - begin), '\t');
        for (std::string &field : fields)
            if (std::optional<std::string> plain = unescaped(field))
                field = *plain;
            else
                return std::nullopt;
        const std::string &kind = fields[0];
        const std::size_t n = fields.size();
        if (kind == "end" && n == 1)
            ended = true;
        else if (kind == "vm" && n == 2)
            record.vms.push_back(fields[1]);
        else if (kind == "home" && n == 2)
            record.homes.push_back(fields[1]);
        else if (kind == "target" && n == 2)
            record.targets.push_back(fields[1]);
        else if (kind == "dll" && n == 2)
            record.countedDlls.push_back(fields[1]);
        else if ((kind == "releasing" || kind == "raising") && n == 3 && number(fields[2]))
            (kind == "raising" ? record.raising : record.releasing)
                .emplace_back(fields[1], *number(fields[2]));
        else if (kind == "classpath" && n <= 2)
            record.classpathKept = true,
            record.classpath = n == 2 ? std::optional<std::string>(fields[1]) : std::nullopt;
        else if (const std::optional<Change> change = changeFrom(fields))
            record.changes.push_back(*change);
        else
            return std::nullopt;
    }
    if (!ended)
        return std::nullopt;
    return record;
}
