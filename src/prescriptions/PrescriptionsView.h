#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "host/Context.h"
#include "prescriptions/PrescriptionTree.h"

class QPushButton;
class QTreeWidget;
class QVBoxLayout;
class QTreeWidgetItem;

namespace stripstock {

// The "Verordnungen" tab: the tree of strip types, the prescriptions of the node last clicked
// and the tab's members of the button array Command1.
class PrescriptionsView : public QWidget {
    Q_OBJECT

  public:
    PrescriptionsView(Context& ctx, const std::vector<ListEntry>& stripList,
                      QWidget* parent = nullptr);

    // Rebuilds the tree, selects the node keyed selectedKey (the root when there is none) and
    // shows list as that node's prescriptions, keeping the selected row when it is still there.
    void ShowTree(const std::vector<TreeNode>& nodes, const std::string& selectedKey,
                  const std::vector<PrescriptionRow>& list);
    void ShowList(const std::vector<PrescriptionRow>& rows);

    // Key of the node whose prescriptions the list shows; "K0" before the first fill.
    std::string SelectedNodeKey() const;

    // Asks the ledger's question and deletes the prescription selected in the list. Without a
    // selected prescription nothing is asked; false unless the user answered "Ja".
    bool DeleteSelectedPrescription();

  signals:
    void commandClicked(int index);

  private:
    void NodeClick(QTreeWidgetItem* node);
    QString SelectedRowKey() const;

    Context& m_ctx;
    const std::vector<ListEntry>& m_stripList;
    QTreeWidget* m_tvTeststrips = nullptr;
    QTreeWidget* m_lvPrescriptions = nullptr;
    QVBoxLayout* m_buttonColumn = nullptr;
};

}  // namespace stripstock
