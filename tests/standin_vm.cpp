// A stand-in VM launcher (java.exe, javaw.exe, jrew.exe, jre.exe): exits with the code standin.cfg beside
// it gives its name ("javaw.exe=14", "*=14" for any; "14,500" after 500 ms, "14,forever" never), or to the
// tester's proof the code of "proof=" (15 without one; a 1.1 VM's loses bit 4 unless its class path names
// both jars, and they are there), and
// appends how it was started to the file that OSTREL_STANDIN_LOG names:
//   <own path>|<command line>|<current directory>|CLASSPATH=<set|unset>|tester=<yes|no>|<tick count>
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char buf[4096];
    const std::string self(buf, GetModuleFileNameA(nullptr, buf, sizeof buf)), command = GetCommandLineA();
    const std::string launcher = self.substr(self.find_last_of('\\') + 1);
    // The tester's proof answers by its own line, 15 without one.
    const bool proof = command.size() > 6 && command.compare(command.size() - 6, 6, " proof") == 0;
    const std::string name = proof ? "proof" : launcher;
    SetLastError(0); // an empty value is set too, though its length reads 0
    const DWORD length = GetEnvironmentVariableA("CLASSPATH", buf, 4096);
    const bool classpath = length || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    const std::string classpathValue(buf, length < 4096 ? length : 0);
    const std::string record =
        self + "|" + command + "|" + std::string(buf, GetCurrentDirectoryA(4096, buf)) +
        "|CLASSPATH=" + (classpath ? "set" : "unset") +
        "|tester=" + (GetFileAttributesA("OstrelTester.class") != INVALID_FILE_ATTRIBUTES ? "yes" : "no") +
        "|" + std::to_string(GetTickCount()) + "\r\n";
    const bool logged = GetEnvironmentVariableA("OSTREL_STANDIN_LOG", buf, sizeof buf) != 0;
    for (int tries = 0; logged && tries < 100; ++tries, Sleep(10)) { // stand-ins may run at once
        HANDLE log = CreateFileA(buf, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (WriteFile(log, record.data(), DWORD(record.size()), &written, nullptr) && CloseHandle(log))
            break;
    }
    std::string answer = proof ? "15" : "", tester;
    FILE *cfg = std::fopen((self.substr(0, self.size() - launcher.size()) + "standin.cfg").c_str(), "r");
    for (std::string line; cfg && std::fgets(buf, sizeof buf, cfg) && !(line = buf).empty();) {
        if (line.compare(0, name.size() + 1, name + "=") == 0 || (answer.empty() && line[0] == '*'))
            answer = line.substr(line.find('=') + 1);
        if (line.compare(0, launcher.size() + 1, launcher + "=") == 0 || (tester.empty() && line[0] == '*'))
            tester = line.substr(line.find('=') + 1);
    }
    long long code = std::strtoll(answer.c_str(), nullptr, 10);
    // A 1.1 VM (bit 4 of its tester's answer clear) finds the jars only on its class path: -cp, or CLASSPATH.
    const size_t cp = command.find("-cp \"");
    const std::string path =
        cp == std::string::npos ? classpathValue : command.substr(cp + 5, command.find('"', cp + 5) - cp - 5);
    int jars = 0;
    for (const std::string jar : {"\\tamrix.jar", "\\ostrel.jar"})
        for (size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
            const std::string entry = path.substr(at, (end = path.find(';', at)) - at);
            jars += entry.size() > jar.size() &&
                    _stricmp(entry.c_str() + entry.size() - jar.size(), jar.c_str()) == 0 &&
                    GetFileAttributesA(entry.c_str()) != INVALID_FILE_ATTRIBUTES;
        }
    if (proof && (std::strtoll(tester.c_str(), nullptr, 10) & 4) == 0 && jars < 2)
        code &= ~4;
    const size_t comma = answer.find(',');
    if (comma != std::string::npos)
        Sleep(answer.compare(comma, 8, ",forever") == 0 ? INFINITE : std::stoul(answer.substr(comma + 1)));
    ExitProcess(static_cast<UINT>(code));
}
