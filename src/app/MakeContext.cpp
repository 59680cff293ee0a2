#include "app/Startup.h"
#include "data/Dao.h"
#include "host/DiaryFile.h"
#include "host/Registry.h"
#include "text/OleDate.h"
#include "text/TextHelpers.h"

namespace stripstock {

Context MakeContext(const std::string& programDir) {
    Context ctx;
    ctx.registry = std::make_shared<Registry>(MakeDefaultRegistryBackend());
    ctx.engines = std::make_shared<dao::EngineFactory>();
    ctx.programDir = programDir;
    ctx.userDataDir = DefaultUserDataDir();
    ctx.pathSeparator = kPathSeparator;
    ctx.clock = LocalNowAsOleDate;
    return ctx;
}

}  // namespace stripstock
