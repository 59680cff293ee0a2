#include "prescriptions/FaultyMeasurementDialog.h"

#include <QComboBox>

#include "app/WidgetHelpers.h"
#include "prescriptions/FaultyMeasurement.h"

namespace stripstock {

FaultyMeasurementDialog::FaultyMeasurementDialog(Context& ctx, QWidget* parent)
    : EntryDialog(QStringLiteral("frmErrors"), QStringLiteral("Fehlmessungen eingeben"),
                  QStringLiteral("Fehlmessunge(n) erfolgte(n) am:"), parent),
      m_ctx(ctx) {
    FaultyForm form;
    {
        BusyCursor busy;
        form = LoadFaultyMeasurement(ctx);
    }
    // The list holds no item data: the position alone names the meter.
    for (const std::string& meter : form.meters) {
        cbMeters()->addItem(ToQt(meter));
    }
    cbMeters()->setCurrentIndex(form.selected);
}

EntryOutcome FaultyMeasurementDialog::Confirm(const std::string& amountText,
                                              const std::string& dateText, int selected) {
    return ConfirmFaultyMeasurement(m_ctx, amountText, dateText, selected);
}

}  // namespace stripstock
