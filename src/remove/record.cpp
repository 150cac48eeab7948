#include "remove/record.h"

#include <cstddef>

#include "shell/ascii_text.h"

namespace {
constexpr const char *kKinds[] = {"file", "awt", "autoexec"};

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
} // namespace

const InstallRecord::Change *InstallRecord::find(const std::string &path) const {
    for (const Change &c : changes)
        if (c.path == path)
            return &c;
    return nullptr;
}

std::string InstallRecord::text() const {
    std::string out;
    for (const std::string &vm : vms)
        out += line({"vm", vm});
    for (const Change &c : changes)
        out += line({kKinds[c.kind], c.path, c.backup});
    for (const std::string &target : targets)
        out += line({"target", target});
    if (classpathKept)
        out += classpath ? line({"classpath", *classpath}) : line({"classpath"});
    for (const std::string &dll : countedDlls)
        out += line({"dll", dll});
    for (const auto &dll : releasing)
        out += line({"releasing", dll.first, decimal(dll.second)});
    return out + "end\n"; // a record cut short lacks it
}

std::optional<InstallRecord> InstallRecord::parse(const std::string &text) {
    InstallRecord record;
    bool ended = false;
    for (std::size_t begin = 0, end; begin < text.size() && !ended; begin = end + 1) {
        end = text.find('\n', begin);
        if (end == std::string::npos)
            return std::nullopt;
        std::vector<std::string> fields(1);
        for (std::size_t i = begin; i < end; ++i)
            text[i] == '\t' ? (void)fields.emplace_back() : fields.back().push_back(text[i]);
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
        else if (kind == "target" && n == 2)
            record.targets.push_back(fields[1]);
        else if (kind == "dll" && n == 2)
            record.countedDlls.push_back(fields[1]);
        else if (kind == "releasing" && n == 3 && number(fields[2]))
            record.releasing.emplace_back(fields[1], *number(fields[2]));
        else if (kind == "classpath" && n <= 2)
            record.classpathKept = true,
            record.classpath = n == 2 ? std::optional<std::string>(fields[1]) : std::nullopt;
        else if (n == 3 && kind == kKinds[0])
            record.changes.push_back({Change::File, fields[1], fields[2]});
        else if (n == 3 && kind == kKinds[1])
            record.changes.push_back({Change::AwtProperties, fields[1], fields[2]});
        else if (n == 3 && kind == kKinds[2])
            record.changes.push_back({Change::Autoexec, fields[1], fields[2]});
        else
            return std::nullopt;
    }
    if (!ended)
        return std::nullopt;
    return record;
}
