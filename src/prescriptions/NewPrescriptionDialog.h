#pragma once

#include "prescriptions/EntryDialog.h"
#include "prescriptions/NewPrescription.h"

namespace stripstock {

// frmNew: one delivery of test strips on prescription.
class NewPrescriptionDialog : public EntryDialog {
    Q_OBJECT

  public:
    explicit NewPrescriptionDialog(Context& ctx, QWidget* parent = nullptr);

  protected:
    EntryOutcome Confirm(const std::string& amountText, const std::string& dateText,
                         int selected) override;

  private:
    Context& m_ctx;
    NewPrescriptionForm m_form;
};

}  // namespace stripstock
