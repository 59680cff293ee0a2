// What `status` reads from a large registry store (the host key and the meter list, with 3,000
// import modules among about 333,000 keys of other programs, 50 MB), against reading the store's
// bytes once. Both run on a fresh registry, as every command starts with one.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "BenchHost.h"
#include "host/Context.h"
#include "host/Registry.h"
#include "host/RegistryBackend.h"
#include "meters/MeterModules.h"

namespace {

using namespace stripstock;
namespace fs = std::filesystem;

constexpr int kModules = 3000;
constexpr std::uintmax_t kStoreBytes = 50u << 20;
const std::string kHostKey = "SOFTWARE\\Tarvenholme\\VELLIND4";

std::string BigStore() {
    const fs::path path = bench::BenchFolder() / "big-store.reg";
    if (fs::exists(path)) {
        return path.string();
    }
    std::ofstream out(path, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" << kHostKey
        << "]\r\n\"DataBaseName\"=\"C:\\\\Daten\\\\heavy.vld\"\r\n\r\n";
    for (int m = 0; m < kModules; ++m) {
        out << "[HKEY_LOCAL_MACHINE\\" << kHostKey << "\\MODULES\\Modul" << m << "]\r\n\"type\"=\""
            << (m % 5 == 4 ? 1 : 0) << "\"\r\n\"parameter\"=\"x|y|z|" << 1 + m % 60
            << "\"\r\n\"desc\"=\"Messgerät " << m << "\"\r\n\r\n";
    }
    // Settings of other programs, in no particular order, as hosts collect them over the years.
    char count[24];
    for (long k = 0; out.tellp() < static_cast<std::streamoff>(kStoreBytes); ++k) {
        std::snprintf(count, sizeof count, "%08lx", static_cast<unsigned long>(k));
        out << "[HKEY_CURRENT_USER\\Software\\Vendor" << k % 23 << "\\Product" << k % 500
            << "\\Settings" << k << "]\r\n\"Name\"=\"Value number " << k
            << "\"\r\n\"Count\"=dword:" << count
            << "\r\n\"Data\"=hex:01,02,03,04,05,06,07,08\r\n\r\n";
    }
    out.close();
    // As a store the host wrote some time ago: a file changed a moment ago is parsed anew.
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
    return path.string();
}

// The floor: the store's bytes read once into one buffer.
void BM_ReadBigStore(benchmark::State& state) {
    const std::string path = BigStore();
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_StatusRead(benchmark::State& state) {
    const std::string path = BigStore();
    std::size_t listed = 0;
    for (auto _ : state) {
        Context ctx;
        ctx.HostRegKey = kHostKey;
        ctx.registry = std::make_shared<Registry>(MakeFileRegistryBackend(path));
        benchmark::DoNotOptimize(ctx.registry->RegKeyExists(kHkeyLocalMachine, kHostKey));
        listed = LoadMeterList(ctx).size();
        benchmark::DoNotOptimize(listed);
    }
    if (listed != static_cast<std::size_t>(kModules - kModules / 5))
        state.SkipWithError("unexpected number of meters");
}

}  // namespace

BENCHMARK(BM_ReadBigStore)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatusRead)->Unit(benchmark::kMillisecond);
