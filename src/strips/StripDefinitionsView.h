#pragma once

#include <QWidget>

#include "app/Context.h"

class QListWidget;

namespace stripstock {

// The "Teststreifen" tab: the strip definitions of ctx.stripList and the tab's members of the
// button array Command1 (new, edit, delete).
class StripDefinitionsView : public QWidget {
    Q_OBJECT

  public:
    explicit StripDefinitionsView(Context& ctx, QWidget* parent = nullptr);

    // Shows ctx.stripList as last loaded and selects its first entry.
    void ShowStripList();

    void NewDefinition();
    void EditDefinition();
    void DeleteDefinition();

  signals:
    void commandClicked(int index);

  private:
    int SelectedRow() const;

    Context& m_ctx;
    QListWidget* m_lbTestStripdefs = nullptr;
};

}  // namespace stripstock
