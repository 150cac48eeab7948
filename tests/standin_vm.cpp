// A stand-in VM launcher (java.exe, javaw.exe, jrew.exe, jre.exe): exits with the code standin.cfg beside
// it gives its name ("javaw.exe=14", "*=14" for any; "14,500" after 500 ms, "14,forever" never), and
// appends how it was started to the file that OSTREL_STANDIN_LOG names:
//   <own path>|<command line>|<current directory>|CLASSPATH=<set|unset>|tester=<yes|no>|<tick count>
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char buf[4096];
    const std::string self(buf, GetModuleFileNameA(nullptr, buf, sizeof buf));
    const std::string name = self.substr(self.find_last_of('\\') + 1);
    SetLastError(0); // an empty value is set too, though its length reads 0
    const bool classpath =
        GetEnvironmentVariableA("CLASSPATH", buf, 4096) || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    const std::string record =
        self + "|" + GetCommandLineA() + "|" + std::string(buf, GetCurrentDirectoryA(4096, buf)) +
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
    std::string answer;
    FILE *cfg = std::fopen((self.substr(0, self.size() - name.size()) + "standin.cfg").c_str(), "r");
    for (std::string line; cfg && std::fgets(buf, sizeof buf, cfg) && !(line = buf).empty();)
        if (line.compare(0, name.size() + 1, name + "=") == 0 || (answer.empty() && line[0] == '*'))
            answer = line.substr(line.find('=') + 1);
    const size_t comma = answer.find(',');
    if (comma != std::string::npos)
        Sleep(answer.compare(comma, 8, ",forever") == 0 ? INFINITE : std::stoul(answer.substr(comma + 1)));
    ExitProcess(static_cast<UINT>(std::strtoll(answer.c_str(), nullptr, 10)));
}
