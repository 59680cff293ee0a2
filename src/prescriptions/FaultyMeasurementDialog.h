#pragma once

#include "prescriptions/EntryDialog.h"

namespace stripstock {

// frmErrors: strips lost to failed readings on one day with one meter.
class FaultyMeasurementDialog : public EntryDialog {
    Q_OBJECT

  public:
    explicit FaultyMeasurementDialog(Context& ctx, QWidget* parent = nullptr);

  protected:
    EntryOutcome Confirm(const std::string& amountText, const std::string& dateText,
                         int selected) override;

  private:
    Context& m_ctx;
};

}  // namespace stripstock
