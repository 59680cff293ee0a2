#pragma once

#include <QWidget>

#include <vector>

#include "host/Context.h"
#include "text/ListEntry.h"

class QListWidget;

namespace stripstock {

// The "Teststreifen" tab: the strip definitions of the main window's strip list and the tab's
// members of the button array Command1 (new, edit, delete).
class StripDefinitionsView : public QWidget {
    Q_OBJECT

  public:
    StripDefinitionsView(Context& ctx, std::vector<ListEntry>& stripList,
                         QWidget* parent = nullptr);

    // Shows the strip list as last loaded and selects its first entry, or, with
    // keepSelection, the definition selected before when the list still has it.
    void ShowStripList(bool keepSelection = false);

    // Each returns whether the strip definitions may have changed, so that the opener rebuilds
    // its views from the databases.
    bool NewDefinition();
    bool EditDefinition();
    bool DeleteDefinition();

  signals:
    void commandClicked(int index);

  private:
    int SelectedRow() const;

    Context& m_ctx;
    std::vector<ListEntry>& m_stripList;
    QListWidget* m_lbTestStripdefs = nullptr;
};

}  // namespace stripstock
