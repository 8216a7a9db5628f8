// zyldoc: writes a program's manual page or bash completion from its usage table, at build
// time, so that --help, the page and the completion cannot drift apart.
//
//   zyldoc man PROGRAM TEMPLATE OUTPUT
//   zyldoc completion PROGRAM OUTPUT
#include "BashCompletion.h"
#include "LaunchOptions.h"
#include "ManPage.h"
#include "ZylctlUsage.h"
#include "ZylsimUsage.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

const ProgramUsage* usageOf(const std::string& program) {
    if (program == "zylctl")
        return &ZylctlUsage();
    if (program == "zylsim")
        return &ZylsimUsage();
    if (program == "zylconfig")
        return &ZylconfigUsage();
    return nullptr;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "zyldoc: cannot write " << path << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const ProgramUsage* usage = argc > 2 ? usageOf(argv[2]) : nullptr;
    if (!usage || !((mode == "man" && argc == 5) || (mode == "completion" && argc == 4))) {
        std::cerr << "usage: zyldoc man zylctl|zylsim|zylconfig TEMPLATE OUTPUT\n"
                     "       zyldoc completion zylctl|zylsim|zylconfig OUTPUT\n";
        return 2;
    }
    if (mode == "completion")
        return writeFile(argv[3], bashCompletion(*usage)) ? 0 : 1;

    std::ifstream in(argv[3], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::cerr << "zyldoc: cannot read " << argv[3] << '\n';
        return 1;
    }
    const ManPageResult page = fillManPage(text.str(), *usage);
    if (!page.error.empty()) {
        std::cerr << argv[3] << ": " << page.error << '\n';
        return 1;
    }
    return writeFile(argv[4], page.page) ? 0 : 1;
}
