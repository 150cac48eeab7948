#include "shell/switches.h"

#include "platform/ascii_text.h"

namespace {
// The arguments of a command line: words between blanks, or in double quotes.
std::vector<std::string> arguments(const std::string &commandLine) {
    std::vector<std::string> words;
    for (std::string::size_type i = 0; i < commandLine.size();) {
        if (commandLine[i] == ' ' || commandLine[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        for (bool quoted = false;
             i < commandLine.size() && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t')); ++i) {
            if (commandLine[i] == '"')
                quoted = !quoted;
            else
                word.push_back(commandLine[i]);
        }
        words.push_back(word);
    }
    return words;
}

bool isSwitch(const std::string &word, const char *name) {
    return !word.empty() && (word[0] == '/' || word[0] == '-') && sameIgnoringAsciiCase(word.substr(1), name);
}

// The value of "/name=value" (case of the name ignored), or false.
bool valueOf(const std::string &word, const char *name, std::string &value) {
    const std::string::size_type equals = word.find('=');
    if (equals == std::string::npos || !isSwitch(word.substr(0, equals), name))
        return false;
    value = word.substr(equals + 1);
    return true;
}

// "D:,E:" as drive letters; false when it is anything else.
bool driveList(const std::string &text, std::vector<char> &drives) {
    for (std::string::size_type i = 0; i < text.size(); i += 3) {
        const char letter = static_cast<char>(text[i] & ~0x20);
        if (letter < 'A' || letter > 'Z' || i + 1 >= text.size() || text[i + 1] != ':' ||
            (i + 2 < text.size() && text[i + 2] != ','))
            return false;
        drives.push_back(letter);
    }
    return !drives.empty() && text.back() != ',';
}
} // namespace

Switches parseSwitches(const std::string &commandLine) {
    Switches switches;
    const std::vector<std::string> words = arguments(commandLine);
    for (std::vector<std::string>::size_type i = 1; i < words.size(); ++i) {
        const std::string &word = words[i];
        std::string value;
        if (isSwitch(word, "remove"))
            switches.remove = true;
        else if (isSwitch(word, "quiet") || isSwitch(word, "S") || isSwitch(word, "qn") ||
                 isSwitch(word, "verysilent"))
            switches.quiet = true;
        else if (valueOf(word, "log", value) && !value.empty())
            switches.log = value;
        else if (std::vector<char> drives; valueOf(word, "search", value) && driveList(value, drives))
            switches.searchDrives.insert(switches.searchDrives.end(), drives.begin(), drives.end());
        else
            switches.unknown.push_back(word);
    }
    return switches;
}
