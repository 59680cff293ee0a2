#pragma once

#include <QWidget>
#include <vector>

#include "host/Context.h"
#include "prescriptions/PrescriptionTree.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace stripstock {

// The "Verordnungen" tab: the tree of strip types, the prescriptions of the node last clicked
// and the tab's members of the button array Command1 (only "&Neu..." is visible).
class PrescriptionsView : public QWidget {
    Q_OBJECT

  public:
    PrescriptionsView(Context& ctx, const std::vector<ListEntry>& stripList,
                      QWidget* parent = nullptr);

    // The tree is built once per run; list holds the prescriptions of the root node.
    void ShowTree(const std::vector<TreeNode>& nodes, const std::vector<PrescriptionRow>& list);
    void ShowList(const std::vector<PrescriptionRow>& rows);

  signals:
    void commandClicked(int index);

  private:
    void NodeClick(QTreeWidgetItem* node);

    Context& m_ctx;
    const std::vector<ListEntry>& m_stripList;
    QTreeWidget* m_tvTeststrips = nullptr;
    QTreeWidget* m_lvPrescriptions = nullptr;
};

}  // namespace stripstock
