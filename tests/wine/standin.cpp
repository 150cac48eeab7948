#include "standin.h"

#include <windows.h>

#include "test_support.h"

bool placeStandin(const std::string &dir, const std::vector<std::string> &names,
                  const std::vector<std::string> &config) {
    const std::string standin = hostPathFromEnv("OSTREL_STANDIN");
    makeDirs(dir);
    for (const std::string &name : names)
        if (!CopyFileA(standin.c_str(), (dir + "\\" + name).c_str(), FALSE))
            return false;
    std::string cfg;
    for (const std::string &line : config)
        cfg += line + "\r\n";
    return writeFile(dir + "\\standin.cfg", cfg);
}

std::vector<StandinRecord> standinRecordsIn(const std::string &logFile) {
    std::vector<StandinRecord> records;
    std::string text;
    if (!readFile(logFile, text))
        return records;
    std::string::size_type pos = 0;
    while (pos < text.size()) {
        std::string::size_type end = text.find("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        std::vector<std::string> fields;
        std::string::size_type start = 0;
        for (;;) {
            const std::string::size_type bar = line.find('|', start);
            fields.push_back(line.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        if (fields.size() != 5)
            continue;
        StandinRecord r;
        r.launcher = fields[0];
        r.commandLine = fields[1];
        r.currentDirectory = fields[2];
        r.classpathSet = fields[3] == "CLASSPATH=set";
        r.testerPresent = fields[4] == "tester=yes";
        records.push_back(r);
    }
    return records;
}

std::vector<StandinRecord> standinRecords(const std::string &dir) {
    return standinRecordsIn(dir + "\\standin.log");
}
