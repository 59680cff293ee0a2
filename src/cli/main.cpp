#include <filesystem>
#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    std::error_code ec;
    const auto exe = std::filesystem::canonical("/proc/self/exe", ec);
    const std::string exeDir =
        ec ? std::filesystem::current_path().string() : exe.parent_path().string();
    return stripstock::RunCli(std::vector<std::string>(argv + 1, argv + argc), exeDir, std::cout,
                              std::cerr);
}
