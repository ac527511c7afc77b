#include "LaunchArguments.h"

namespace corvina {
namespace {

bool isLeadByte(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

} // namespace

std::vector<std::string> splitArguments(std::string_view text) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false, haveArgument = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (isLeadByte(c) && i + 1 < text.size()) {
            current.append(text.substr(i, 2)); // lead and trail byte stay together
            haveArgument = true;
            ++i;
        } else if (c == '"') {
            inQuotes = !inQuotes;
            haveArgument = true; // "" is an empty argument
        } else if (c == ' ' && !inQuotes) {
            if (haveArgument)
                args.push_back(std::move(current));
            current.clear();
            haveArgument = false;
        } else {
            current.push_back(static_cast<char>(c));
            haveArgument = true;
        }
    }
    if (haveArgument)
        args.push_back(std::move(current));
    return args;
}

std::string_view textAfterProgramName(std::string_view commandLine) {
    size_t i = 0;
    while (i < commandLine.size() && commandLine[i] == ' ')
        ++i;
    if (i < commandLine.size() && commandLine[i] == '"') {
        size_t close = commandLine.find('"', i + 1);
        i = close == std::string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != ' ') {
            // A GBK trail byte can never be a space, but keep pairs whole anyway.
            i += isLeadByte(static_cast<unsigned char>(commandLine[i])) ? 2 : 1;
        }
        if (i > commandLine.size())
            i = commandLine.size();
    }
    return commandLine.substr(i);
}

} // namespace corvina
