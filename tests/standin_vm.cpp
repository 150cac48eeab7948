// A stand-in for a Java VM launcher, copied into VM folders as java.exe, javaw.exe, jrew.exe or jre.exe.
// It answers with the exit code that standin.cfg beside it gives for its name ("javaw.exe=14", or "*=14"
// for any name; "code,ms" answers after ms milliseconds, "code,forever" never), and appends how it was
// started to the file that OSTREL_STANDIN_LOG names:
//   <own path>|<command line>|<current directory>|CLASSPATH=<set|unset>|tester=<yes|no>|<tick count>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main() {
    char buf[4096];
    const std::string self(buf, GetModuleFileNameA(nullptr, buf, sizeof buf));
    const std::string dir = self.substr(0, self.find_last_of('\\'));
    std::string name = self.substr(dir.size() + 1);
    for (char &c : name)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));

    SetLastError(0); // an empty value is set too, though its length reads 0
    const bool classpathSet = GetEnvironmentVariableA("CLASSPATH", buf, sizeof buf) != 0 ||
                              GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    const std::string record =
        self + "|" + GetCommandLineA() + "|" + std::string(buf, GetCurrentDirectoryA(sizeof buf, buf)) +
        "|CLASSPATH=" + (classpathSet ? "set" : "unset") +
        "|tester=" + (GetFileAttributesA("OstrelTester.class") != INVALID_FILE_ATTRIBUTES ? "yes" : "no") +
        "|" + std::to_string(GetTickCount()) + "\r\n";
    const DWORD logLength = GetEnvironmentVariableA("OSTREL_STANDIN_LOG", buf, sizeof buf);
    for (int tries = 0; logLength > 0 && tries < 100; ++tries, Sleep(10)) { // stand-ins may run at once
        HANDLE log = CreateFileA(buf, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (log == INVALID_HANDLE_VALUE)
            continue;
        DWORD written = 0;
        WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
        CloseHandle(log);
        break;
    }

    std::string answer, any;
    if (FILE *cfg = std::fopen((dir + "\\standin.cfg").c_str(), "r")) {
        while (std::fgets(buf, sizeof buf, cfg)) {
            const std::string line(buf, strcspn(buf, "\r\n"));
            const std::string key = line.substr(0, line.find('='));
            if (key == name || key == "*")
                (key == name ? answer : any) = line.substr(key.size() + 1);
        }
        std::fclose(cfg);
    }
    if (answer.empty())
        answer = any;
    const std::string::size_type comma = answer.find(',');
    if (comma != std::string::npos) {
        const std::string wait = answer.substr(comma + 1);
        Sleep(wait == "forever" ? INFINITE : static_cast<DWORD>(std::strtoul(wait.c_str(), nullptr, 10)));
    }
    ExitProcess(static_cast<UINT>(std::strtoll(answer.c_str(), nullptr, 10)));
}
