#include "prescriptions/FaultyMeasurement.h"

#include <cstdint>

#include "host/HostSettings.h"
#include "meters/MeterTables.h"
#include "prescriptions/LedgerStore.h"

namespace stripstock {

FaultyForm LoadFaultyMeasurement(Context& ctx) {
    FaultyForm form;
    for (const auto& name : FaultyMeterNames()) form.meters.emplace_back(name);
    if (const auto position = PositionInList(ReadLastMeter(ctx), form.meters.size())) {
        form.selected = *position;
    }
    return form;
}

EntryOutcome ConfirmFaultyMeasurement(Context& ctx, const std::string& countText,
                                      const std::string& dateText, int selected) {
    const EntryInput input = CheckEntryInput(dateText, countText, kFaultyCountMessage);
    if (input.refusal) return *input.refusal;

    const std::size_t meterCount = FaultyMeterNames().size();
    const bool hasSelection = selected >= 0 && static_cast<std::size_t>(selected) < meterCount;
    const int position = hasSelection ? selected : -1;
    const std::int32_t type = MeterCodeAt(static_cast<std::int16_t>(position));

    // count is 1..32767, so its negation always fits the 16-bit field.
    const auto amount = static_cast<std::int16_t>(-input.count);
    std::string cause;
    if (!AppendLedgerRow(ctx, input.date, type, amount, &cause)) {
        return EntryOutcome{false, WithCause(kFaultyStoreFailedMessage, cause), EntryFocus::None,
                            true};
    }
    WriteLastMeter(ctx, position);
    return EntryOutcome{true, {}, EntryFocus::None, false};
}

}  // namespace stripstock
