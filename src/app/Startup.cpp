#include "app/Startup.h"

#include <filesystem>
#include <system_error>

#include "data/Dao.h"
#include "data/Schema.h"
#include "host/HostSettings.h"
#include "meters/MeterTables.h"
#include "strips/Catalogue.h"
#include "text/CaseFold.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

// A diary named without ".VLD" that lies in the program folder is its own companion (on a
// case-insensitive file system meier.mdb is MEIER.MDB). The diary is only ever read, so no
// table may be added to it.
bool IsTheDiaryItself(const std::string& companion, const std::string& diary) {
    std::error_code ec;
    const bool same = std::filesystem::equivalent(companion, diary, ec);
    return same && !ec;
}

// Beside the program for a diary of the host; in the user's data folder for a diary named on
// the command line, since an installed program's folder is not writable.
std::string CompanionFolder(const Context& ctx) {
    if (ctx.diaryFile.empty() || ctx.userDataDir.empty()) {
        return ctx.programDir;
    }
    std::error_code ec;
    std::filesystem::create_directories(Utf8Path(ctx.userDataDir), ec);
    if (ec) {
        DebugLog("RunStartup", "cannot create " + ctx.userDataDir + ": " + ec.message());
    }
    return ctx.userDataDir;
}

}  // namespace

std::string CompanionFileName(const std::string& diaryPath, char separator) {
    std::string name = UCase(ExtractFromPath(diaryPath, 2, separator));
    ReplaceAll(name, ".VLD", ".VLT");
    return name;
}

StartupResult RunStartup(Context& ctx, const std::string& commandLine, Outlook outlook) {
    StartupResult result;
    ctx.IsLoading = true;
    result.meterList = MainMeterList();

    const HostSettingsResult settings = LoadHostSettings(ctx, commandLine);
    // A position the list does not have leaves it without a selection.
    if (settings.lastMeterPosition && *settings.lastMeterPosition >= 0 &&
        *settings.lastMeterPosition < static_cast<int>(result.meterList.size())) {
        result.meterSelection = *settings.lastMeterPosition;
    }
    if (!settings.diaryOpen) {
        result.refused = true;
        result.refusalCause = settings.storeProblem;
        result.refusalReason = settings.refusalReason;
        return result;
    }
    ctx.IsLoading = false;

    ctx.StripDbPath =
        JoinPath(CompanionFolder(ctx), CompanionFileName(ctx.DiaryDbPath, ctx.pathSeparator),
                 ctx.pathSeparator);
    // The diary is only ever read: every write to it is refused by the engines, whatever
    // path it was given, with the reason for the user.
    if (ctx.engines) {
        ctx.engines->KeepReadOnly(ctx.DiaryDbPath,
                                  "die Teststreifendatenbank wäre das Tagebuch selbst (" +
                                      ctx.DiaryDbPath + "); in das Tagebuch wird nie geschrieben");
    }
    if (IsTheDiaryItself(ctx.StripDbPath, ctx.DiaryDbPath)) {
        DebugLog("RunStartup", "the companion would be the diary itself: " + ctx.StripDbPath);
    } else {
        CreateCompanionDatabase(ctx, ctx.StripDbPath);
        EnsureStripsTable(ctx);
    }
    if (std::string problem = CompanionProblem(ctx); !problem.empty()) {
        result.companionProblem = ctx.StripDbPath + ": " + problem;
    }
    static_cast<MainViews&>(result) = RebuildMainViews(ctx, kAllNodeKey, outlook);
    return result;
}

}  // namespace stripstock
