#pragma once

#include <QDialog>
#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

class QListWidget;

namespace stripstock {

// frmList: every ledger row, newest first, with buttons to add a prescription or faulty
// measurements, delete the selected row, or close.
class LedgerListDialog : public QDialog {
    Q_OBJECT

  public:
    explicit LedgerListDialog(Context& ctx, QWidget* parent = nullptr);

    // 0 "&Neu", 1 "&Löschen", 2 "&Schliessen", 3 "&Fehlmessungen..."; others do nothing.
    void Command1_Click(int index);
    void FillEntryList();

  private:
    void DeleteSelected();

    Context& m_ctx;
    std::vector<ListEntry> m_entries;
    QListWidget* m_list1 = nullptr;
};

}  // namespace stripstock
