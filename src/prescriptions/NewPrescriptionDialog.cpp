#include "prescriptions/NewPrescriptionDialog.h"

#include <QComboBox>

#include "app/WidgetHelpers.h"

namespace stripstock {

NewPrescriptionDialog::NewPrescriptionDialog(Context& ctx, QWidget* parent)
    : EntryDialog(QStringLiteral("frmNew"), QStringLiteral("Neue Teststreifenverordnung... "),
                  QStringLiteral("Neue Teststreifen erhalten am:"), parent),
      m_ctx(ctx) {
    {
        BusyCursor busy;
        m_form = LoadNewPrescription(ctx);
    }
    for (const ListEntry& strip : m_form.strips) {
        cbMeters()->addItem(ToQt(strip.text), strip.itemData);
    }
    cbMeters()->setCurrentIndex(m_form.selected);
}

EntryOutcome NewPrescriptionDialog::Confirm(const std::string& amountText,
                                            const std::string& dateText, int selected) {
    return ConfirmNewPrescription(m_ctx, m_form, amountText, dateText, selected);
}

}  // namespace stripstock
