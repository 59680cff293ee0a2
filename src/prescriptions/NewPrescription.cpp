#include "prescriptions/NewPrescription.h"

#include <optional>

#include "host/HostSettings.h"
#include "prescriptions/LedgerStore.h"
#include "strips/Catalogue.h"

namespace stripstock {

NewPrescriptionForm LoadNewPrescription(Context& ctx) {
    NewPrescriptionForm form;
    form.strips = LoadStripList(ctx, ctx.StripDbPath);
    if (!form.strips.empty()) form.selected = 0;
    // "LastMeter" may hold a position of another list; one this list lacks is not applied.
    if (const auto position = PositionInList(ReadLastMeter(ctx), form.strips.size())) {
        form.selected = *position;
    }
    return form;
}

EntryOutcome ConfirmNewPrescription(Context& ctx, const NewPrescriptionForm& form,
                                    const std::string& amountText, const std::string& dateText,
                                    int selected) {
    const EntryInput input = CheckEntryInput(dateText, amountText, kNewPrescriptionAmountMessage);
    if (input.refusal) return *input.refusal;

    const bool hasSelection =
        selected >= 0 && static_cast<std::size_t>(selected) < form.strips.size();
    std::optional<std::int32_t> type;
    if (hasSelection) type = form.strips[static_cast<std::size_t>(selected)].itemData;

    std::string cause;
    if (!AppendLedgerRow(ctx, input.date, type, input.count, &cause)) {
        return EntryOutcome{false, WithCause(kNewPrescriptionStoreFailedMessage, cause),
                            EntryFocus::None, true};
    }
    WriteLastMeter(ctx, hasSelection ? selected : -1);
    return EntryOutcome{true, {}, EntryFocus::None, false};
}

}  // namespace stripstock
