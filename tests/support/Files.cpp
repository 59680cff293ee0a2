#include "Files.h"

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

double Day(int year, int month, int day, int hour, int minute, int second) {
    return ToOleDate(CivilDateTime{year, month, day, hour, minute, second});
}

}  // namespace stripstock::test
