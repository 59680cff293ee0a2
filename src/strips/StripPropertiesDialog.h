#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

class QLineEdit;
class QListWidget;

namespace stripstock {

// frmTestStripProperties: creates (lStripID 0) or edits one strip definition. "&OK" saves,
// accepts; the opener reloads its strip list.
class StripPropertiesDialog : public QDialog {
    Q_OBJECT

  public:
    StripPropertiesDialog(Context& ctx, std::int32_t lStripID, QWidget* parent = nullptr);

    std::int32_t lStripID() const { return m_lStripID; }

    void cmd_Click(int index);

  private:
    void Load();
    void Save();

    Context& m_ctx;
    std::int32_t m_lStripID = 0;
    std::vector<ListEntry> m_meters;
    QLineEdit* m_txtName = nullptr;
    QLineEdit* m_txtManufacturer = nullptr;
    QLineEdit* m_txtPZN = nullptr;
    QListWidget* m_lbMeters = nullptr;
};

}  // namespace stripstock
