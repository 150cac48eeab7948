// A stand-in for a Java VM launcher. Copied into a VM folder as javaw.exe, jrew.exe, java.exe or
// jre.exe, it answers with the exit code configured for its name and records how it was started.
//
// Configuration: standin.cfg beside it, one line per launcher name:
//   javaw.exe=14           exit with 14
//   jrew.exe=2,1500        wait 1.5 s, then exit with 2
//   javaw.exe=0,forever    never exit
//   *=7                    any name without a line of its own
// Values are decimal and may be negative or above 2^31 (taken modulo 2^32). Without a line: exit 0.
//
// Record: one line per start appended to standin.log beside it:
//   <name>|<command line>|<current directory>|CLASSPATH=<set|unset>|tester=<yes|no>
// and the same line to the file named by OSTREL_STANDIN_LOG, when that variable is set.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
std::string ownPath() {
    char buf[4096];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return std::string(buf, n < sizeof buf ? n : 0);
}

std::string lower(std::string s) {
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The configured "code[,ms|forever]" for this name, or "" when there is none.
std::string configuredAnswer(const std::string &dir, const std::string &name) {
    FILE *f = std::fopen((dir + "\\standin.cfg").c_str(), "r");
    if (!f)
        return "";
    std::string mine, any;
    char line[512];
    while (std::fgets(line, sizeof line, f)) {
        std::string l(line);
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        const std::string::size_type eq = l.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = lower(l.substr(0, eq));
        if (key == name)
            mine = l.substr(eq + 1);
        else if (key == "*")
            any = l.substr(eq + 1);
    }
    std::fclose(f);
    return mine.empty() ? any : mine;
}

void appendRecord(const std::string &file, const std::string &record) {
    // Several stand-ins may write one shared log: open, append, close each time.
    for (int tries = 0; tries < 50; ++tries) {
        HANDLE h = CreateFileA(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
            CloseHandle(h);
            return;
        }
        Sleep(10);
    }
}
} // namespace

int main() {
    const std::string self = ownPath();
    const std::string::size_type slash = self.find_last_of('\\');
    const std::string dir = self.substr(0, slash);
    const std::string name = lower(self.substr(slash + 1));

    char cwd[4096];
    const DWORD cwdLen = GetCurrentDirectoryA(sizeof cwd, cwd);
    const bool classpathSet = GetEnvironmentVariableA("CLASSPATH", nullptr, 0) != 0;
    const bool testerHere = GetFileAttributesA("OstrelTester.class") != INVALID_FILE_ATTRIBUTES;
    const std::string record = name + "|" + GetCommandLineA() + "|" + std::string(cwd, cwdLen) +
                               "|CLASSPATH=" + (classpathSet ? "set" : "unset") +
                               "|tester=" + (testerHere ? "yes" : "no") + "\r\n";
    appendRecord(dir + "\\standin.log", record);
    char shared[4096];
    const DWORD sharedLen = GetEnvironmentVariableA("OSTREL_STANDIN_LOG", shared, sizeof shared);
    if (sharedLen > 0 && sharedLen < sizeof shared)
        appendRecord(std::string(shared, sharedLen), record);

    const std::string answer = configuredAnswer(dir, name);
    const std::string::size_type comma = answer.find(',');
    const long long code = std::strtoll(answer.c_str(), nullptr, 10);
    if (comma != std::string::npos) {
        const std::string wait = answer.substr(comma + 1);
        if (wait == "forever")
            for (;;)
                Sleep(1000);
        Sleep(static_cast<DWORD>(std::strtoul(wait.c_str(), nullptr, 10)));
    }
    ExitProcess(static_cast<UINT>(static_cast<unsigned long long>(code) & 0xFFFFFFFFull));
}
