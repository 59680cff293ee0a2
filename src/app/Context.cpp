#include "app/Context.h"

#include <chrono>
#include <ctime>

#include "data/Dao.h"
#include "host/Registry.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

double LocalNowAsOleDate() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return ToOleDate(CivilDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                   local.tm_hour, local.tm_min, local.tm_sec});
}

}  // namespace

Context MakeContext(const std::string& programDir) {
    Context ctx;
    ctx.registry = std::make_shared<Registry>(MakeDefaultRegistryBackend());
    ctx.engines = std::make_shared<dao::EngineFactory>();
    ctx.programDir = programDir;
    ctx.pathSeparator = kPathSeparator;
    ctx.clock = LocalNowAsOleDate;
    return ctx;
}

}  // namespace stripstock
