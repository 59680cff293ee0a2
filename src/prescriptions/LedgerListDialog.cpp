#include "prescriptions/LedgerListDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MessageBox.h"
#include "app/WidgetHelpers.h"
#include "prescriptions/FaultyMeasurementDialog.h"
#include "prescriptions/LedgerList.h"
#include "prescriptions/NewPrescriptionDialog.h"

namespace stripstock {

LedgerListDialog::LedgerListDialog(Context& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmList"));
    setWindowTitle(QStringLiteral("Verordnungen"));
    setModal(true);
    // The designed size is the default and the smallest; the list takes what the dialog gains.
    setMinimumSize(Px(7575), Px(4155));
    resize(minimumSize());
    setSizeGripEnabled(true);

    auto* heading = new QLabel(QStringLiteral("Teststreifenverordnungen"), this);
    heading->setObjectName(QStringLiteral("Label1"));

    m_list1 = new QListWidget(this);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(Px(120), Px(120), Px(120), Px(120));
    layout->setHorizontalSpacing(Px(105));
    layout->setVerticalSpacing(Px(45));
    layout->addWidget(heading, 0, 0);
    layout->addWidget(m_list1, 1, 0);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(1, 1);
    auto* buttonColumn = new QVBoxLayout();
    buttonColumn->setSpacing(Px(105));
    layout->addLayout(buttonColumn, 1, 1);

    // The column from the top: new, faulty measurements, delete, close; wide enough for
    // "&Fehlmessungen...".
    const struct {
        int index;
        const char* caption;
    } buttons[] = {
        {0, "&Neu"},
        {3, "&Fehlmessungen..."},
        {1, "&Löschen"},
        {2, "&Schliessen"},
    };
    QWidget* previous = m_list1;
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(ToQt(entry.caption), this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(entry.index));
        SetDesignedButtonSize(button, 1815, 375);
        buttonColumn->addWidget(button);
        const int index = entry.index;
        connect(button, &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
        setTabOrder(previous, button);
        previous = button;
    }
    buttonColumn->addStretch(1);
    // Placed now, not first when shown, so that the geometry is known from the start.
    layout->activate();

    FillEntryList();
}

void LedgerListDialog::FillEntryList() {
    BusyCursor busy;
    m_entries = stripstock::FillEntryList(m_ctx);
    m_list1->clear();
    for (const ListEntry& entry : m_entries) {
        auto* item = new QListWidgetItem(ToQt(entry.text), m_list1);
        item->setData(Qt::UserRole, entry.itemData);
    }
}

void LedgerListDialog::Command1_Click(int index) {
    switch (index) {
        case 0: {
            NewPrescriptionDialog dialog(m_ctx, this);
            dialog.exec();
            FillEntryList();
            break;
        }
        case 1:
            DeleteSelected();
            break;
        case 2:
            accept();
            break;
        case 3: {
            FaultyMeasurementDialog dialog(m_ctx, this);
            dialog.exec();
            FillEntryList();
            break;
        }
        default:
            break;
    }
}

void LedgerListDialog::DeleteSelected() {
    if (!MessageBox::Question(this, ToQt(kDeleteEntryQuestion))) {
        return;
    }
    const QList<QListWidgetItem*> selected = m_list1->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_list1->row(selected.first());
    if (const std::optional<std::int32_t> id = SelectedEntryId(m_entries, row)) {
        BusyCursor busy;
        DeleteEntry(m_ctx, *id);
    }
    FillEntryList();
}

}  // namespace stripstock
