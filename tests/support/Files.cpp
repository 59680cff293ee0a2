#include "Files.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "text/OleDate.h"

namespace stripstock::test {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::optional<std::string> CommandOutput(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    if (::pclose(pipe) != 0) return std::nullopt;
    return out;
}

double Day(int year, int month, int day, int hour, int minute, int second) {
    return ToOleDate(CivilDateTime{year, month, day, hour, minute, second});
}

}  // namespace stripstock::test
