#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>

#include "GuiFixture.h"
#include "prescriptions/LedgerStore.h"
#include "report/ReportActions.h"
#include "report/ReportPeriodDialog.h"
#include "strips/Catalogue.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;

using Button = MessageBox::Button;

// Today is 1.3.2010; the diary belongs to Erika Mustermann.
class ReportActionsTest : public QObject, public GuiTest {
    Q_OBJECT

  private slots:
    void init() {
        StartHost();
        AppendLedgerRow(m_ctx, Day(2009, 5, 1), 24, -2);
        stripList = LoadStripList(m_ctx, m_ctx.StripDbPath);
        parent = std::make_unique<QWidget>();
        actions = new ReportActions(m_ctx, stripList, parent.get());
        actions->SetDocumentsFolder(QString::fromStdString(m_host->Path("Dokumente")));
        // What the dialogs would have been asked, and the answers they give.
        asked.clear();
        actions->SetPeriodChooser([this](QWidget*, const ReportPeriod& proposed) {
            proposedPeriod = proposed;
            return period;
        });
        actions->SetFileChooser([this](QWidget*, const QString& caption, const QString& suggested,
                                       const QString& filter) {
            asked << caption << suggested << filter;
            return chosen;
        });
        opened.clear();
        actions->SetOpener([this](const QString& path) { opened << path; });
        MessageBox::TakeRecords();
    }

    void cleanup() { parent.reset(); }

    void reportAndExportAskForTheirFileAndWriteIt() {
        period = ReportPeriod{Day(2009, 1, 1), Day(2009, 12, 31)};
        chosen = File("bericht.pdf");
        MessageBox::SetNextAnswers({Button::Yes});
        QVERIFY(actions->Report());
        QCOMPARE(proposedPeriod.from, Day(2009, 1, 1));  // the four quarters of 2009
        QCOMPARE(proposedPeriod.to, Day(2009, 12, 31));
        QCOMPARE(asked.value(0), u"Bericht speichern"_s);
        QCOMPARE(asked.value(1),
                 QDir(QString::fromStdString(m_host->Path("Dokumente")))
                     .filePath(u"Teststreifen-Nachweis-Erika-Mustermann-2010-03-01.pdf"_s));
        QVERIFY(asked.value(2).contains(u"*.pdf"_s));
        QCOMPARE(QString::fromStdString(ReadBytes(chosen.toStdString()).substr(0, 5)), u"%PDF-"_s);
        QVERIFY(OnlyMessage().startsWith(u"Der Bericht wurde gespeichert."_s));
        QCOMPARE(opened, QStringList{chosen});
        // "Nein" leaves it closed.
        MessageBox::SetNextAnswers({Button::No});
        QVERIFY(actions->Report());
        QCOMPARE(opened.size(), 1);
        asked.clear();
        MessageBox::TakeRecords();
        chosen = File("verordnungen.csv");
        QVERIFY(actions->Export());
        QVERIFY(
            asked.value(1).endsWith(u"/Teststreifen-Nachweis-Erika-Mustermann-2010-03-01.csv"_s));
        QCOMPARE(ReadBytes(chosen.toStdString()),
                 std::string("\xEF\xBB\xBF"
                             "Datum;Art;Menge;Teststreifen oder Messgerät\r\n"
                             "01.05.2009;Fehlmessung;2;Accutrend Compact\r\n"));
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        QCOMPARE(opened.size(), 1);
    }

    void aCancelledQuestionWritesNothingAFailedWriteSaysWhy() {
        period = std::nullopt;
        chosen = File("bericht.pdf");
        QVERIFY(!actions->Report());
        QVERIFY(asked.isEmpty());
        period = ReportPeriod{Day(2009, 1, 1), Day(2009, 12, 31)};
        chosen.clear();
        QVERIFY(!actions->Report());
        QVERIFY(!actions->Export());
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        chosen = File("fehlt/bericht.pdf");
        QVERIFY(!actions->Report());
        auto records = MessageBox::TakeRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(records[0].text, u"Der Bericht konnte nicht gespeichert werden !\n"_s + chosen +
                                      u": der Ordner existiert nicht"_s);
        chosen = File("fehlt/x.csv");
        QVERIFY(!actions->Export());
        QVERIFY(
            OnlyMessage().startsWith(u"Die Verordnungen konnten nicht exportiert werden !\n"_s));
        QVERIFY(opened.isEmpty());
    }

    void thePeriodDialogAndTheForecastTabsButtons() {
        ReportPeriodDialog dialog({Day(2009, 1, 1), Day(2009, 12, 31)});
        auto* from = Find<QDateEdit>(&dialog, "dtFrom");
        auto* to = Find<QDateEdit>(&dialog, "dtTo");
        QCOMPARE(from->date(), QDate(2009, 1, 1));
        QCOMPARE(to->date(), QDate(2009, 12, 31));
        to->setDate(QDate(2010, 2, 28));
        QCOMPARE(dialog.period().to, Day(2010, 2, 28));
        auto window = MainWindow::Start(m_ctx, QString());
        QVERIFY(window);
        auto* report = Find<QPushButton>(window.get(), "cmdReport");
        auto* exporting = Find<QPushButton>(window.get(), "cmdExport");
        QVERIFY(report && exporting);
        QCOMPARE(report->text(), u"&Bericht..."_s);
        QCOMPARE(exporting->text(), u"&Exportieren..."_s);
        auto* row = window->findChild<QHBoxLayout*>(u"forecastButtons"_s);
        QVERIFY(row);
        QCOMPARE(row->indexOf(report), 0);
        QCOMPARE(row->indexOf(exporting), 1);
    }

  private:
    QString File(const char* name) const { return QString::fromStdString(m_host->Path(name)); }

    std::vector<ListEntry> stripList;
    std::unique_ptr<QWidget> parent;
    ReportActions* actions = nullptr;
    std::optional<ReportPeriod> period;
    ReportPeriod proposedPeriod;
    QString chosen;
    QStringList asked;
    QStringList opened;
};

QTEST_MAIN(ReportActionsTest)
#include "ReportActionsTest.moc"
