#include "app/Startup.h"

#include "data/Schema.h"
#include "host/HostSettings.h"
#include "meters/MeterTables.h"
#include "strips/Catalogue.h"
#include "text/TextHelpers.h"

namespace stripstock {

std::string CompanionFileName(const std::string& diaryPath, char separator) {
    std::string name = UCase(ExtractFromPath(diaryPath, 2, separator));
    ReplaceAll(name, ".VLD", ".VLT");
    return name;
}

StartupResult RunStartup(Context& ctx, const std::string& commandLine) {
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
        return result;
    }
    ctx.IsLoading = false;

    ctx.StripDbPath = JoinPath(
        ctx.programDir, CompanionFileName(ctx.DiaryDbPath, ctx.pathSeparator), ctx.pathSeparator);
    if (!FileExists(ctx.StripDbPath)) {
        CreateCompanionDatabase(ctx, ctx.StripDbPath);
    }
    EnsureStripsTable(ctx);
    ctx.stripList = LoadStripList(ctx, ctx.StripDbPath);
    result.prescriptionTree = FillPrescriptionTree(ctx);
    result.prescriptionList = FillPrescriptionList(ctx, 0);
    result.consumption = FillConsumptionList(ctx);
    return result;
}

}  // namespace stripstock
