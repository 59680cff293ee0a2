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

    // Shows the strip list as last loaded and selects its first entry.
    void ShowStripList();

    void NewDefinition();
    void EditDefinition();
    void DeleteDefinition();

  signals:
    void commandClicked(int index);

  private:
    int SelectedRow() const;

    void ReloadStripList();

    Context& m_ctx;
    std::vector<ListEntry>& m_stripList;
    QListWidget* m_lbTestStripdefs = nullptr;
};

}  // namespace stripstock
