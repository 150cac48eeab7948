// The rules that need no Win32, in one table (tests/README.md lists them); built natively, under ASan and
// UBSan.
#include <gtest/gtest.h>

#include "discovery/path_pieces.h"
#include "install/classpath_text.h"
#include "install/line_rewrite.h"
#include "record/checksum.h"
#include "record/record.h"
#include "platform/restart_queue_text.h"
#include "remove/undo_text.h"
#include "platform/long_names.h"
#include "shell/closing_messages.h"
#include "shell/switches.h"
#include "shared/layout_rules.h"
#include "verify/tester_answer.h"

namespace {
const std::string Q = "AWT.EventQueueClass=com.zel.java.accessibility.util.EventQueueMonitor\n";
const std::string A = "AWT.assistive_technologies=com.zel.java.accessibility.Ostrel\n";
const std::string J = ";C:\\T\\tamrix.jar;C:\\T\\ostrel.jar"; // the jars of the 1.1 target C:\T
const std::string ADDED = "set CLASSPATH=.;C:\\T\\tamrix.jar;C:\\T\\ostrel.jar;C:\\T\\classes.zip\n";
const std::string QR = Q.substr(0, Q.size() - 1) + "\r\n", AR = A.substr(0, A.size() - 1) + "\r\n",
                  JR = J + "\r\n", ADDEDR = ADDED.substr(0, ADDED.size() - 1) + "\r\n";
const std::string BIN = std::string("a=\r\x1a\0\xff\x83\x41\n", 9), LONG = "x=" + std::string(300, 'x') + Q;

// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC; a trail byte may be a backslash or a capital.
bool cp932(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// FindFirstFileA's long name of a path's last component, case ignored: C:\LOCKED cannot be read, though a
// folder in it can; a pattern, "." or ".." names some other file.
std::optional<std::string> longNameOf(const std::string &path) {
    static const std::pair<const char *, const char *> names[] = {{"C:\\t", "t"},
                                                                  {"C:\\t\\JAVA~EU4", "Java Runtime Long"},
                                                                  {"C:\\t\\Java Runtime Long\\bin", "bin"},
                                                                  {"C:\\PROGRA~1", "Program Files"},
                                                                  {"C:\\Program Files\\JAVASO~1", "JavaSoft"},
                                                                  {"C:\\LOCKED\\JAVA~EU4", "Java"},
                                                                  {"C:\\\x83\\~1", "\x83\\\x83\x41 Long"},
                                                                  {"C:\\\x83\\\x83\x41 Long\\bin", "bin"}};
    if (path.find_first_of("*?") != std::string::npos || path.find("\\.") != std::string::npos)
        return "other";
    for (const auto &[shortPath, name] : names)
        if (sameIgnoringAsciiCase(path, shortPath, cp932))
            return name;
    return std::nullopt;
}

// What a rule makes of an input, as text.
std::string apply(const std::string &rule, const std::string &in) {
    std::string out;
    if (rule == "split") {
        for (const std::string &piece : splitPathVariable(in))
            out += "[" + piece + "]";
        return out;
    }
    if (rule == "letter")
        return startsWithLetter(in.c_str()) ? "yes" : "no";
    if (rule == "javahome" || rule == "javahome-binary")
        return javaHomeBinDir(in, rule == "javahome").value_or("<none>");
    if (rule == "answer") {
        const TesterAnswer a = decodeTesterExitCode(static_cast<std::uint32_t>(std::stoll(in)));
        return a.answered
                   ? std::to_string(a.compatible) + std::to_string(a.isJava11) + std::to_string(a.isJava14)
                   : "none";
    }
    if (rule == "proof") // what a VM lacks, or "proven"
        return (out = proofLacks(decodeProofExitCode(static_cast<std::uint32_t>(std::stoll(in))))).empty()
                   ? "proven"
                   : out;
    if (rule == "proof-launch") { // launcher|generation|CLASSPATH after: the command|the CLASSPATH it gets
        const std::string::size_type bar = in.find('|'), gen = in.find('|', bar + 1);
        const ProofLaunch l = proofLaunch(in.substr(0, bar), in.substr(bar + 1, gen - bar - 1) == "1.1",
                                          in.substr(gen + 1), "C:\\start");
        return l.command + "|" + l.classpath.value_or("<unset>");
    }
    if (rule == "home")
        return homeFromBinDir(in, cp932).value_or("<none>");
    if (rule == "lower")
        return lowerAsciiLetters(out = in, cp932), out;
    if (rule == "same") // two paths split at "|"
        return sameIgnoringAsciiCase(in.substr(0, in.find('|')), in.substr(in.find('|') + 1), cp932) ? "yes"
                                                                                                     : "no";
    if (rule == "awt" || rule == "autoexec") { // and a second run changes nothing
        auto edit = [&](const std::string &t) {
            return rule == "awt" ? rewriteAwtProperties(t) : rewriteAutoexec(t, "C:\\T", cp932);
        };
        return edit(out = edit(in)) == out ? out : "a second run changes " + out;
    }
    if (rule == "disk" ||
        rule == "batch") { // bytes on disk: text|end marker, and whether they come back whole
        const TextFileContent content = decodeTextFile(in, rule == "batch");
        return content.text + "|" + content.endMarker + (encodeTextFile(content) == in ? "" : "|changed");
    }
    if (rule == "classpath")
        return extendedClasspath(in, "C:\\T", cp932);
    if (rule == "registry-text")
        return registryStringText(in);
    if (rule == "long")
        return longForm(in, cp932, longNameOf);
    if (rule == "queue-nt" || rule == "queue-9x") { // stored bytes|our paths|...: the bytes written back
        const std::string::size_type bar = in.find('|');
        auto isOurs = [&](const std::string &path) {
            for (std::string::size_type p = bar; p != std::string::npos; p = in.find('|', p + 1))
                if (sameIgnoringAsciiCase(path, in.substr(p + 1, in.find('|', p + 1) - p - 1)))
                    return true;
            return false;
        };
        return rule == "queue-nt"
                   ? pendingOperationsValue(withoutOperationsOn(pendingOperations(in.substr(0, bar)), isOurs))
                   : renameSectionText(withoutOperationsOn(renameSection(in.substr(0, bar)), isOurs));
    }
    if (rule == "native-path" ||
        rule == "native-path-32") { // a 32-bit program on 64-bit Windows, or 32-bit Windows
        return pathForSessionManager(in, "C:\\WINDOWS\\system32",
                                     rule == "native-path" ? "C:\\WINDOWS\\SysWOW64" : "", cp932);
    }
    if (rule == "record") { // as written again after reading, or <none> when it is no record
        const std::optional<InstallRecord> record = InstallRecord::parse(in);
        return record ? record->text() : "<none>";
    }
    if (rule == "record-problem") { // why a removal may not use it, in a system folder C:\W\S
        const std::optional<InstallRecord> record = InstallRecord::parse(in);
        return record ? record->problem("C:\\W\\S", "C:\\autoexec.bat", cp932).value_or("usable") : "<none>";
    }
    if (rule == "checksum")
        return fileChecksum(in);
    if (rule == "switches") {
        const Switches sw = parseSwitches(in);
        for (const std::string &word : sw.unknown)
            out += "[" + word + "]";
        return (sw.remove ? "remove " : "") + std::string(sw.quiet ? "quiet " : "") +
               std::string(sw.searchDrives.begin(), sw.searchDrives.end()) + " log=" + sw.log + " " + out;
    }
    if (rule.compare(0, 5, "undo-") == 0) { // before|now ("-" before: none): after, or <gone>; |changed lines
        const std::string was = in.substr(0, in.find('|')), now = in.substr(in.find('|') + 1);
        const std::optional<std::string> before = was == "-" ? std::nullopt : std::optional<std::string>(was);
        ChangedLines changed;
        const std::optional<std::string> after =
            rule == "undo-awt"        ? awtPropertiesAfterRemoval(was, now, changed)
            : rule == "undo-autoexec" ? autoexecAfterRemoval(before, {"C:\\T"}, now, cp932, changed)
                                      : classpathAfterRemoval(before, {"C:\\T"}, now, cp932);
        for (const std::string &line : changed)
            out += "|" + line;
        return after.value_or("<gone>") + out;
    }
    // "failures" N,M[,P]: failed destinations f1... fN, VMs left v1... vM, VMs without proof u1... uP
    const std::vector<std::string> counts = splitAt(in, ',');
    std::vector<std::string> lists[3];
    for (std::size_t k = 0; k < counts.size() && k < 3; ++k)
        for (int i = 1; i <= std::stoi(counts[k]); ++i)
            lists[k].push_back("fvu"[k] + std::to_string(i));
    return incompleteInstallationText(lists[0], lists[1], lists[2]);
}
} // namespace

TEST(Rules, Table) {
    using namespace std::string_literals; // "...\0..."s: bytes with NULs
    const std::string DEL = "\\??\\C:\\x\\a.tmp\0\0"s, REP = "\\??\\C:\\x\\new.dll\0!\\??\\C:\\x\\old.dll\0"s;
    const std::string listed = "Installation of the Java Ostrel was not completed. These files could not be "
                               "written:\nf1\nf2\nf3\nf4\nf5\nf6\nf7\nf8\nf9\nf10";
    // clang-format off
    const std::vector<std::tuple<std::string, std::string, std::string>> rows = {
        {"split", "C:\\a;;C:\\b;", "[C:\\a][C:\\b]"}, {"split", ";;", ""},
        {"split", " C:\\a ;\"C:\\b\";C:\\c\\", "[ C:\\a ][\"C:\\b\"][C:\\c\\]"},
        {"letter", "C:\\", "yes"}, {"letter", "jdk\\bin", "yes"}, {"letter", ".\\bin", "no"},
        {"letter", "\\\\server\\share", "no"}, {"letter", "\"C:\\a\"", "no"}, {"letter", " C:\\a", "no"},
        {"letter", "\x83\x41", "no"},
        {"javahome", std::string("C:\\jdk\0", 7), "C:\\jdk\\bin"},
        {"javahome", std::string("C:\\jdk\\\0junk", 11), "C:\\jdk\\\\bin"},
        {"javahome", "C:\\jdk", "<none>"}, // no terminator: perhaps cut short
        {"javahome-binary", std::string("C:\\jdk\0", 7), "<none>"},
        {"answer", "14", "101"}, {"answer", "6", "100"}, {"answer", "2", "110"}, {"answer", "4", "000"},
        {"answer", "1", "010"}, {"answer", "18", "110"}, {"answer", "256", "010"}, {"answer", "15", "101"},
        {"answer", "0", "none"}, {"answer", "-1", "none"}, {"answer", "2147483650", "none"},
        {"proof", "15", "proven"}, {"proof", "31", "proven"}, {"proof", "1", "configuration, jars, classes"},
        {"proof", "11", "jars"}, {"proof", "13", "configuration"},
        {"proof", "7", "classes"}, {"proof", "0", "no answer"}, {"proof", "-1", "no answer"},
        {"proof-launch", "javaw.exe|1.4|C:\\a.jar", "javaw.exe OstrelTester proof|<unset>"},
        {"proof-launch", "jrew.exe|1.2|", "jrew.exe -cp . OstrelTester proof|<unset>"},
        {"proof-launch", "javaw.exe|1.1|C:\\a b\\t.jar;.", "javaw.exe OstrelTester proof|C:\\a b\\t.jar;.;C:\\start"},
        {"proof-launch", "jrew.exe|1.1|", "jrew.exe -cp \"C:\\start\" OstrelTester proof|<unset>"},
        {"proof-launch", "jrew.exe|1.1|C:\\t.jar", "jrew.exe -cp \"C:\\t.jar;C:\\start\" OstrelTester proof|<unset>"},
        {"home", "c:\\jdk1.3.1\\bin", "c:\\jdk1.3.1"}, {"home", "c:\\jdk\\\\bin", "c:\\jdk"},
        {"home", "c:\\program files\\vm\\bin\\extra", "c:\\program files\\vm"}, {"home", "c:\\bin", "c:"},
        {"home", "C:\\JDK\\BIN", "C:\\JDK"}, {"home", "c:\\jdk\\bin\\..\\bin", "c:\\jdk"},
        {"home", "c:\\binaries\\bin2\\x", "<none>"}, {"home", "c:/jdk/bin", "<none>"}, {"home", "bin\\x", "<none>"},
        {"home", "\x83\\bin\\bin", "\x83\\bin"}, // the first "bin" follows a character whose second byte is "\"
        {"lower", "C:\\JDK\x83\x41\\\x83\\BIN", "c:\\jdk\x83\x41\\\x83\\bin"},
        {"same", "C:\\Jdk\\BIN|c:\\jdk\\bin", "yes"}, {"same", "c:\\\x83\x41|c:\\\x83\x61", "no"},
        {"same", "c:\\jdk|c:\\jdk\\", "no"},
        {"awt", "", Q + A}, {"awt", "a=1\n#c\n\nb=2\n", "a=1\n#c\n\nb=2\n" + Q + A},
        {"awt", "a=1\nAWT.assistive_technologies=x.Y\nb=2\n", "a=1\n" + A + "b=2\n" + Q},
        {"awt", "awt.eventqueueclass=a\nx\nAWT.EventQueueClassic = b\nAWT.ASSISTIVE_TECHNOLOGIES=", Q + "x\n" + Q + A},
        {"awt", "AWT.EventQueueClas=x\n", "AWT.EventQueueClas=x\n" + Q + A},
        {"awt", "AWT.assistive_technologies = x\n", "AWT.assistive_technologies = x\n" + Q + A},
        {"awt", " AWT.EventQueueClass=a\n#x\n", " AWT.EventQueueClass=a\n#x\n" + Q + A},
        {"awt", "a=1\nb=2", "a=1\nb=2\n" + Q + A}, {"awt", Q + A + "b=2", Q + A + "b=2"}, {"awt", BIN, BIN + Q + A},
        {"awt", LONG, LONG + Q + A}, {"awt", "x\nawt.assistive_technologies=y", "x\n" + A + Q},
        {"autoexec", "", ADDED},
        {"autoexec", "@echo off\nrem set CLASSPATH=old\n", "@echo off\nrem set CLASSPATH=old\n" + ADDED},
        {"autoexec", "set CLASSPATH=a\nx\nSet ClassPath=b\n", "set CLASSPATH=a" + J + "\nx\nSet ClassPath=b" + J + "\n"},
        {"autoexec", "set CLASSPATH=\n", "set CLASSPATH=" + J + "\n"},
        {"autoexec", " set CLASSPATH=a\n@set CLASSPATH=b\nset CLASSPATH =c\n", " set CLASSPATH=a\n@set CLASSPATH=b\nset CLASSPATH =c\n" + ADDED},
        {"autoexec", "set CLASSPATH=a", "set CLASSPATH=a" + J + "\n"},
        {"autoexec", "@echo off", "@echo off\n" + ADDED},
        {"autoexec", "set CLASSPATH=a \r\n", "set CLASSPATH=a \r" + J + "\n"}, {"autoexec", ADDED, ADDED},
        {"autoexec", "SET CLASSPATH=c:\\t\\OSTREL.JAR;x\n", "SET CLASSPATH=c:\\t\\OSTREL.JAR;x;C:\\T\\tamrix.jar\n"},
        {"autoexec", "set CLASSPATH=C:\\T\\tamrix.jarx;C:\\T\\ostrel\n", "set CLASSPATH=C:\\T\\tamrix.jarx;C:\\T\\ostrel" + J + "\n"},
        {"disk", "a\r\nb\r\n\r\nc", "a\nb\n\nc|"}, {"disk", "a\rb\r\r\nc\r\n", "a\rb\r\nc\n|"},
        {"disk", "a\r\n\x1a\x1a", "a\n|\x1a\x1a"}, {"disk", "a\x1a\r\nb", "a\x1a\nb|"},
        {"disk", "a\nb", "a\nb||changed"}, // a bare line feed is written back as CR LF
        {"batch", "a\r\n\x1a\r\nb\x1a", "a\n|\x1a\r\nb\x1a"}, {"batch", "a\r\nb", "a\nb|"},
        {"classpath", "", "C:\\T\\tamrix.jar;C:\\T\\ostrel.jar"},
        {"classpath", "%X%;.", "%X%;.;C:\\T\\tamrix.jar;C:\\T\\ostrel.jar"},
        {"classpath", "c:\\t\\Tamrix.JAR;C:\\T\\ostrel.jar", "c:\\t\\Tamrix.JAR;C:\\T\\ostrel.jar"},
        {"classpath", "C:\\T\\ostrel.jar;", "C:\\T\\ostrel.jar;;C:\\T\\tamrix.jar"},
        {"registry-text", std::string("a;b\0junk", 8), "a;b"}, {"registry-text", "unterminated", "unterminated"},
        {"record", "vm\tc:\\a%09b\nfile\tC:\\x\t1.bak\nawt\tC:\\y\t\nautoexec\tC:\\autoexec.bat\t2.bak\ntarget\tC:\\T\nclasspath\t\ndll\tC:\\d.dll\nreleasing\tC:\\e.dll\t2\nraising\tC:\\f.dll\t0\nend\n",
         "vm\tc:\\a%09b\nfile\tC:\\x\t1.bak\nawt\tC:\\y\t\nautoexec\tC:\\autoexec.bat\t2.bak\ntarget\tC:\\T\nclasspath\t\ndll\tC:\\d.dll\nreleasing\tC:\\e.dll\t2\nraising\tC:\\f.dll\t0\nend\n"},
        {"record", "classpath\nend\n", "classpath\nend\n"}, {"record", "vm\tx\n", "<none>"}, {"record", "vm\tx\nend", "<none>"},
        {"record", "copy\tx\nend\n", "<none>"}, {"record", "vm\t%4\nend\n", "<none>"}, {"record", "releasing\tx\t2x\nend\n", "<none>"},
        {"record", "vm\tC:\\J\\bin\nhome\tC:\\K\nfile\tC:\\K\\ostrel.jar\t1.bak\t9-cbf43926,0-00000000\nfile\tC:\\K\\tamrix.jar\t\t3-ac616edf\nend\n",
         "vm\tC:\\J\\bin\nhome\tC:\\K\nfile\tC:\\K\\ostrel.jar\t1.bak\t9-cbf43926,0-00000000\nfile\tC:\\K\\tamrix.jar\t\t3-ac616edf\nend\n"},
        {"record", "file\tx\t\t\nend\n", "<none>"}, {"record", "file\tx\t\ta,,b\nend\n", "<none>"}, {"record", "file\tx\t\ta,\nend\n", "<none>"},
        {"record", "file\tx\t\ta\tb\nend\n", "<none>"}, {"record", "awt\tx\t\ta\nend\n", "<none>"},
        {"checksum", "123456789", "9-cbf43926"}, {"checksum", "", "0-00000000"}, {"checksum", std::string("\xff\0\x80", 3), "3-ac616edf"},
        {"record-problem", "vm\tC:\\J\\bin\nhome\tC:\\K\\\nfile\tc:\\j\\lib\\ext\\Tamrix.JAR\t1.bak\t9-cbf43926\nfile\tC:\\K\\jre\\lib\\accessibility.properties\t\n"
                           "file\tC:\\W\\S\\javaostrel.dll\t22.bak\nawt\tC:\\K\\lib\\awt.properties\t3.bak\nautoexec\tc:\\AUTOEXEC.BAT\t\ntarget\tC:\\J\n"
                           "classpath\tx\ndll\tC:\\W\\S\\JAWTOstrel.dll\nreleasing\tC:\\W\\S\\WindowsOstrel.dll\t2\nend\n", "usable"}, // C:\J by its vm line only
        {"record-problem", "home\tC:\\K\nfile\tC:\\K\\ostrel.jar\t..\\x.bak\nend\n", "..\\x.bak is not the name of a kept version"},
        {"record-problem", "home\tC:\\K\nfile\tC:\\K\\..\\ostrel.jar\t\nend\n", "C:\\K\\..\\ostrel.jar is not a plain absolute path"},
        {"record-problem", "home\tC:\\K\ntarget\tC:\\K\\x/../../W\nend\n", "C:\\K\\x/../../W is not a plain absolute path"},
        {"record-problem", "home\tC:\\K\nfile\tC:\\L\\ostrel.jar\t\nend\n", "C:\\L\\ostrel.jar lies in no Java VM's folder"},
        {"record-problem", "home\tc:\\t\\jdk\nfile\tc:\\t\\jdk14\\x\\ostrel.jar\t\nend\n", "c:\\t\\jdk14\\x\\ostrel.jar lies in no Java VM's folder"},
        {"record-problem", "home\tC:\\K\ntarget\tC:\\L\nend\n", "C:\\L lies in no Java VM's folder"},
        {"record-problem", "file\tC:\\W\\S\\sub\\JavaOstrel.dll\t\nend\n", "C:\\W\\S\\sub\\JavaOstrel.dll is not in C:\\W\\S"},
        {"record-problem", "home\tC:\\K\nfile\tC:\\K\\lib\\ext\\tamrix-1_4.jar\t\nend\n", "C:\\K\\lib\\ext\\tamrix-1_4.jar is not a file that the installation changes"},
        {"record-problem", "dll\tC:\\W\\S\\JavaOstrel.dll\nreleasing\tC:\\W\\S\\kernel32.dll\t1\nend\n", "C:\\W\\S\\kernel32.dll is not a DLL of the Java Ostrel"},
        {"record-problem", "raising\tC:\\W\\S\\user32.dll\t0\nend\n", "C:\\W\\S\\user32.dll is not a DLL of the Java Ostrel"},
        {"native-path", "c:\\windows\\SYSTEM32\\JavaOstrel.dll", "C:\\WINDOWS\\SysWOW64\\JavaOstrel.dll"}, {"native-path", "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32"},
        {"native-path", "C:\\WINDOWS\\system32x\\a.dll", "C:\\WINDOWS\\system32x\\a.dll"}, {"native-path-32", "C:\\WINDOWS\\system32\\a.dll", "C:\\WINDOWS\\system32\\a.dll"},
        {"record-problem", "autoexec\tC:\\config.sys\t\nend\n", "C:\\config.sys is not C:\\autoexec.bat"},
        {"record-problem", "home\tC:\\\x83\\\nfile\tC:\\\x83\\\\tamrix.jar\t\nend\n", "usable"}, // a character whose second byte is "\"
        {"long", "C:\\t\\JAVA~EU4\\bin", "C:\\t\\Java Runtime Long\\bin"},
        {"long", "c:\\T\\java~eu4\\BIN\\", "c:\\t\\Java Runtime Long\\bin\\"}, {"long", "C:\\t\\\\JAVA~EU4\\BIN", "C:\\t\\\\Java Runtime Long\\bin"},
        {"long", "C:\\PROGRA~1\\JAVASO~1\\JRE\\1.3", "C:\\Program Files\\JavaSoft\\JRE\\1.3"}, {"long", "C:\\LOCKED\\JAVA~EU4", "C:\\LOCKED\\JAVA~EU4"},
        {"long", "C:\\t\\JAVA~E?4\\bin", "C:\\t\\JAVA~E?4\\bin"}, {"long", "C:\\t\\.\\t", "C:\\t\\.\\t"}, {"long", "C:\\t\\..\\t", "C:\\t\\..\\t"}, {"long", "C:\\*", "C:\\*"},
        {"long", "C:\\", "C:\\"}, {"long", "C:", "C:"}, {"long", "C:t\\JAVA~EU4", "C:t\\JAVA~EU4"},
        {"long", "C:\\\x83\\~1\\BIN", "C:\\\x83\\\x83\x41 Long\\bin"}, // a character whose second byte is "\"
        {"queue-nt", DEL + "\\??\\C:\\OSTREL\\INSTALL.EXE\0\0"s + REP + "\0|c:\\ostrel\\install.exe|C:\\Ostrel"s, DEL + REP + "\0"s},
        {"queue-nt", "\\??\\C:\\Ostrel\\~1.tmp\0!\\??\\C:\\jre\\bin\\ostrel.dll\0"s + DEL + REP + "\0|C:\\jre\\bin\\ostrel.dll"s, DEL + REP + "\0"s},
        {"queue-nt", "C:\\Ostrel\\install.exe\0\0\\??\\C:\\Ostrel\0\0\0\\??\\C:\\x\0\0"s + "|C:\\Ostrel\\install.exe|C:\\Ostrel", ""},
        {"queue-nt", DEL + REP + "\\??\\C:\\x\\b.tmp|C:\\Ostrel", DEL + REP + "\\??\\C:\\x\\b.tmp\0\0\0"s}, // cut short
        {"queue-9x", "NUL=C:\\X\\A.TMP\0NUL=C:\\OSTREL\\INSTALL.EXE\0C:\\WINDOWS\\SYSTEM\\OSTREL.DLL=C:\\X\\~1.TMP\0; note\0X=\0C:\\X\\OLD.DLL=C:\\X\\NEW.DLL\0\0"s
                     + "|c:\\ostrel\\install.exe|C:\\Windows\\System\\Ostrel.dll|NUL", "NUL=C:\\X\\A.TMP\0; note\0X=\0C:\\X\\OLD.DLL=C:\\X\\NEW.DLL\0\0"s},
        {"queue-9x", "NUL=C:\\OSTREL\\INSTALL.EXE\0"s + "|C:\\Ostrel\\install.exe", ""},
        {"switches", "\"C:\\a b\\installer.exe\" /REMOVE -quiet /x \"\" y", "remove quiet  log= [/x][][y]"},
        {"switches", "installer.exe", " log= "}, {"switches", "i /S", "quiet  log= "}, {"switches", "i -qN", "quiet  log= "},
        {"switches", "i /verysilent /search=d:,E: -SEARCH=f: /log=\"C:\\a b\\l.log\"", "quiet DEF log=C:\\a b\\l.log "},
        {"switches", "i /search=d /search=d:, /search=1: /search= /log= /logs=x", " log= [/search=d][/search=d:,][/search=1:][/search=][/log=][/logs=x]"},
        {"undo-awt", "a=1\nb|a=1\r\nb\r\n" + QR + AR, "a=1\nb"}, // as the installation left it: the old bytes exactly
        {"undo-awt", "x=1\r\n|x=1\r\ny=2\r\n" + QR + AR, "x=1\r\ny=2\r\n"}, {"undo-awt", "x=1\n|x=1\n", "x=1\n"},
        {"undo-awt", "AWT.EventQueueClass=old\r\nz\r\n|" + QR + "z\r\n" + AR + "w\r\n", "AWT.EventQueueClass=old\r\nz\r\nw\r\n"},
        {"undo-awt", "AWT.EventQueueClass=old\r\n|AWT.EventQueueClass=mine\r\n" + AR, "AWT.EventQueueClass=mine\r\n|AWT.EventQueueClass=mine"},
        {"undo-autoexec", "-|set CLASSPATH=.;C:\\T\\tamrix.jar;C:\\T\\ostrel.jar;C:\\T\\classes.zip\r\n", "<gone>"},
        {"undo-autoexec", "-|set CLASSPATH=.;C:\\T\\tamrix.jar;C:\\T\\ostrel.jar;C:\\T\\classes.zip\r\nrem\r\n", "rem\r\n"},
        {"undo-autoexec", "SET CLASSPATH=a\r\n\x1a|SET CLASSPATH=a" + JR + "rem\r\n\x1a", "SET CLASSPATH=a\r\nrem\r\n\x1a"},
        {"undo-autoexec", "SET CLASSPATH=a\r\n|SET CLASSPATH=b" + JR, "SET CLASSPATH=b" + JR + "|SET CLASSPATH=b" + J},
        {"undo-autoexec", "rem\r\n|rem\r\nSET CLASSPATH=mine\r\n" + ADDEDR, "rem\r\nSET CLASSPATH=mine\r\n"}, // the user's lines stay, unlisted
        {"undo-autoexec", "set CLASSPATH=a\r\nset CLASSPATH=b\r\n|SET CLASSPATH=u\r\nset CLASSPATH=a" + JR + "SET CLASSPATH=v\r\nset CLASSPATH=b" + JR + "SET CLASSPATH=w\r\n",
         "SET CLASSPATH=u\r\nset CLASSPATH=a\r\nSET CLASSPATH=v\r\nset CLASSPATH=b\r\nSET CLASSPATH=w\r\n"},
        {"undo-autoexec", "set CLASSPATH=a\r\n|SET CLASSPATH=mine\r\nset CLASSPATH=a;c:\\t\\TAMRIX.jar\r\n",
         "SET CLASSPATH=mine\r\nset CLASSPATH=a;c:\\t\\TAMRIX.jar\r\n|set CLASSPATH=a;c:\\t\\TAMRIX.jar"}, // the changed one is listed
        {"undo-autoexec", "set CLASSPATH=a|rem\r\nset CLASSPATH=a" + JR, "rem\r\nset CLASSPATH=a"}, // its last line had no line end
        {"undo-awt", "x=1\r\n|x=1\r\nAWT.EventQueueClass=mine\r\n" + QR + AR, "x=1\r\nAWT.EventQueueClass=mine\r\n"},
        {"undo-awt", "AWT.EventQueueClass=old\r\n|AWT.EventQueueClass=old\r\n" + AR, "AWT.EventQueueClass=old\r\n"}, // put back before
        {"undo-awt", "w=0\r\nx=1|w=9\r\nx=1\r\n" + QR + AR, "w=9\r\nx=1"}, // the line end the installation added goes
        {"undo-awt", "w=0\r\nx=1|w=9\r\nx=1\r\n" + QR + AR + "z=2\r\n", "w=9\r\nx=1\r\nz=2\r\n"},
        {"undo-classpath", "%X%|%X%" + J, "%X%"}, {"undo-classpath", "-|" + J.substr(1), "<gone>"},
        {"undo-classpath", "a|a;C:\\T\\tamrix.jar;b;C:\\T\\ostrel.jar", "a;b"}, {"undo-classpath", "-|x" + J, "x"},
        {"undo-classpath", "C:\\T\\ostrel.jar|C:\\T\\ostrel.jar;C:\\T\\tamrix.jar", "C:\\T\\ostrel.jar"},
        {"failures", "10,0", listed}, {"failures", "12,0", listed + "\nand 2 more"}, {"failures", "0,0", listed.substr(0, 50)},
        {"failures", "1,11", listed.substr(0, listed.find("\nf2")) + "\nThese Java VMs were left as they were:"
                             "\nv1\nv2\nv3\nv4\nv5\nv6\nv7\nv8\nv9\nv10\nand 1 more"},
        {"failures", "0,1,2", listed.substr(0, 50) + "\nThese Java VMs were left as they were:\nv1"
                              "\nThese Java VMs do not see the bridge:\nu1\nu2"}};
    // clang-format on
    for (const auto &[rule, in, out] : rows)
        EXPECT_EQ(apply(rule, in), out) << rule << " of \"" << in << "\"";
}
