#include "strips/StripDefinitionsView.h"

#include <QListWidget>
#include <QPushButton>

#include "app/MainButtons.h"
#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"
#include "strips/Catalogue.h"
#include "strips/StripProperties.h"
#include "strips/StripPropertiesDialog.h"

namespace stripstock {

StripDefinitionsView::StripDefinitionsView(Context& ctx, std::vector<ListEntry>& stripList,
                                           QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_stripList(stripList) {
    m_lbTestStripdefs = new QListWidget(this);
    m_lbTestStripdefs->setObjectName(QStringLiteral("lbTestStripdefs"));
    m_lbTestStripdefs->setGeometry(TwipsRect(120, 120, 7455, 3375));
    m_lbTestStripdefs->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lbTestStripdefs->setSortingEnabled(false);

    const struct {
        int index;
        const char* caption;
        int top;
    } buttons[] = {{3, "&Neu...", 120}, {4, "&Bearbeiten...", 600}, {5, "&Löschen", 1080}};
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(ToQt(entry.caption), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(entry.index));
        button->setGeometry(TwipsRect(7800, entry.top, 1455, 375));
        const int index = entry.index;
        connect(button, &QPushButton::clicked, this, [this, index] { emit commandClicked(index); });
    }
    // A double-click is the same as "&Bearbeiten...".
    connect(m_lbTestStripdefs, &QListWidget::itemDoubleClicked, this,
            [this] { emit commandClicked(4); });
}

void StripDefinitionsView::ShowStripList() {
    m_lbTestStripdefs->clear();
    for (const ListEntry& entry : m_stripList) {
        auto* item = new QListWidgetItem(ToQt(entry.text), m_lbTestStripdefs);
        item->setData(Qt::UserRole, entry.itemData);
    }
    if (m_lbTestStripdefs->count() > 0) {
        m_lbTestStripdefs->setCurrentRow(0);
    }
}

int StripDefinitionsView::SelectedRow() const {
    const QList<QListWidgetItem*> selected = m_lbTestStripdefs->selectedItems();
    return selected.isEmpty() ? -1 : m_lbTestStripdefs->row(selected.first());
}

void StripDefinitionsView::NewDefinition() {
    StripPropertiesDialog dialog(m_ctx, 0);
    dialog.exec();
    // Reloaded whether the dialog saved or not, so the selection returns to the top.
    ReloadStripList();
    ShowStripList();
}

void StripDefinitionsView::ReloadStripList() {
    BusyCursor busy;
    m_stripList = LoadStripList(m_ctx, m_ctx.StripDbPath);
}

void StripDefinitionsView::EditDefinition() {
    const std::int32_t id = EditTargetId(m_stripList, SelectedRow());
    if (id < 1) {
        return;
    }
    StripPropertiesDialog dialog(m_ctx, id);
    // The dialog accepts only when it saved; the list shows the change then.
    if (dialog.exec() == QDialog::Accepted) {
        ReloadStripList();
        ShowStripList();
    }
}

void StripDefinitionsView::DeleteDefinition() {
    if (!MessageBox::Question(this, ToQt(kDeleteStripQuestion))) {
        return;
    }
    const std::int32_t id = SelectedStripId(m_stripList, SelectedRow());
    {
        BusyCursor busy;
        DeleteStripDefinition(m_ctx, id);
    }
    ReloadStripList();
    ShowStripList();
}

}  // namespace stripstock
