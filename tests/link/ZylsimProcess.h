#pragma once
// zylsim as a child process serving the given options; the first line it prints is the
// terminal to open.
#include "ChildProgram.h"

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

// A file name in the temporary directory that no other test process uses.
inline std::filesystem::path scratch(const std::string& name) {
    return std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()));
}

inline std::vector<std::string> zylsimCommand(std::vector<std::string> args) {
    args.insert(args.begin(), buildBinary("src/sim/zylsim"));
    return args;
}

struct Zylsim : ChildProgram {
    explicit Zylsim(std::vector<std::string> args)
        : ChildProgram(zylsimCommand(std::move(args)), scratch("zylsim-")), path(firstLine()) {}
    std::string path;
};
