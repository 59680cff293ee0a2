#include <QCategoryAxis>
#include <QChart>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QStyle>
#include <QValueAxis>

#include "GuiFixture.h"
#include "app/Startup.h"
#include "consumption/ForecastChart.h"
#include "consumption/ForecastView.h"
#include "prescriptions/LedgerStore.h"
#include "report/ReportActions.h"
#include "report/ReportPeriodDialog.h"
#include "strips/Catalogue.h"

using namespace stripstock;
using namespace stripstock::test;
using namespace Qt::StringLiterals;
using Button = MessageBox::Button;

namespace {

const double kToday = Day(2010, 3, 1);

// Four definitions, one of each kind of row: lasting, running low, used up, unused. The rows
// leave out how many strips were used in how many days.
Forecast HandMadeForecast() {
    Forecast forecast;
    forecast.today = kToday;
    forecast.total = {-1, "Gesamt", 155, 0, 0, 3.75, {false, kToday + 41}, false};
    forecast.strips = {
        {1, "Contour", 120, 0, 0, 2.0, {false, kToday + 60}, false},
        {2, "Compact", 10, 0, 0, 1.26, {false, kToday + 8}, true},
        {3, "Aviva", -5, 0, 0, 0.5, {true, std::nullopt}, true},
        {4, "Freestyle", 30, 0, 0, 0.0, {}, false},
    };
    return forecast;
}

// A month of history: each definition received its strips on 1.2.2010 and used some since;
// "Contour" got a second prescription on 15.2.2010.
History HandMadeHistory() {
    const std::vector<StockPoint> contour{{Day(2010, 2, 1), 0},    {Day(2010, 2, 1), 100},
                                          {Day(2010, 2, 15), 80},  {Day(2010, 2, 15), 130},
                                          {Day(2010, 2, 28), 124}, {kToday, 120}};
    History history;
    history.strips = {
        {1, "Contour", {}, contour},
        {2, "Compact", {}, {{Day(2010, 2, 1), 0}, {Day(2010, 2, 1), 50}, {kToday, 10}}},
        {3, "Aviva", {}, {{Day(2010, 2, 1), 0}, {kToday, -5}}},
        {4, "Freestyle", {}, {{Day(2010, 2, 1), 0}, {Day(2010, 2, 1), 30}, {kToday, 30}}},
    };
    return history;
}

QLineSeries* SeriesNamed(QChart* chart, const QString& name) {
    for (QAbstractSeries* series : chart->series()) {
        if (series->name() == name) {
            return qobject_cast<QLineSeries*>(series);
        }
    }
    return nullptr;
}

QDate DateOf(qreal x) { return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(x)).date(); }

// A line's points as (date, stock).
QList<std::pair<QDate, qreal>> Points(const QLineSeries* series) {
    QList<std::pair<QDate, qreal>> points;
    for (const QPointF& point : series->points()) {
        points.append({DateOf(point.x()), point.y()});
    }
    return points;
}

// A value the program stored below its own key; "<none>" when it never wrote one.
std::string AddonValue(TestHost& host, const char* name) {
    std::string value = "<none>";
    host.registry->RegReadValue(kHkeyLocalMachine, host.ctx.AddonRegKey, name, value);
    return value;
}

}  // namespace

// The forecast tab: its table, chart and settings, and its report and export buttons.
class ForecastTabTest : public QObject, public GuiTest {
    Q_OBJECT

  private:
    QString File(const char* name) const { return QString::fromStdString(m_host->Path(name)); }

    std::vector<ListEntry> m_stripList;

  private slots:
    void init() { NewHost(); }

    void tableAndChartShowRowsStocksWarningsAndLongHistories() {
        ForecastView view(m_ctx, m_stripList);
        view.Show(HandMadeForecast(), HandMadeHistory());
        auto* table = Find<QTreeWidget>(&view, "lvForecast");
        QCOMPARE(HeaderTexts(table), (QStringList{u"Teststreifen"_s, u"Bestand"_s,
                                                  u"Verbrauch pro Tag"_s, u"Reicht bis"_s}));
        const QList<QStringList> rows{
            {u"Gesamt"_s, u"155"_s, u"3,8"_s, u"11.04.2010"_s},
            {u"Contour"_s, u"120"_s, u"2,0"_s, u"30.04.2010"_s},
            {u"Compact"_s, u"10"_s, u"1,3"_s, u"09.03.2010"_s},
            {u"Aviva"_s, u"-5"_s, u"0,5"_s, u"aufgebraucht"_s},
            {u"Freestyle"_s, u"30"_s, u"0,0"_s, QString()},
        };
        QCOMPARE(table->topLevelItemCount(), rows.size());
        const QImage warningImage =
            view.style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16).toImage();
        for (int row = 0; row < table->topLevelItemCount(); ++row) {
            QCOMPARE(RowTexts(table, row), rows[row]);
            const QTreeWidgetItem* item = table->topLevelItem(row);
            const bool warns = row == 2 || row == 3;
            QCOMPARE(item->icon(0).isNull(), !warns);
            if (warns) {
                QCOMPARE(item->icon(0).pixmap(16).toImage(), warningImage);
            }
            for (int column = 0; column < 4; ++column) {
                QCOMPARE(item->font(column).bold(), warns);
                QCOMPARE(item->textAlignment(column) & Qt::AlignRight,
                         column == 0 ? 0 : int(Qt::AlignRight));
            }
        }
        QCOMPARE(Find<QLabel>(&view, "lblWarning")->text(),
                 u"Neue Verordnung nötig für: Compact, Aviva"_s);
        // The chart: the legend lays out its markers once it is on screen.
        view.resize(900, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QChart* chart = Find<ForecastChart>(&view, "chartForecast")->chart();
        // Four stock lines, two forecasts (the used-up and the unused definition have none)
        // and the legend's key to the dashes.
        QCOMPARE(chart->series().size(), 7);
        QLineSeries* contour = SeriesNamed(chart, u"Contour"_s);
        QVERIFY(contour);
        QCOMPARE(Points(contour), (QList<std::pair<QDate, qreal>>{{QDate(2010, 2, 1), 0},
                                                                  {QDate(2010, 2, 1), 100},
                                                                  {QDate(2010, 2, 15), 80},
                                                                  {QDate(2010, 2, 15), 130},
                                                                  {QDate(2010, 2, 28), 124},
                                                                  {QDate(2010, 3, 1), 120}}));
        QCOMPARE(contour->pen().style(), Qt::SolidLine);
        QLineSeries* dashed = SeriesNamed(chart, u"Contour"_s + ForecastChart::ForecastSuffix());
        QVERIFY(dashed);
        QCOMPARE(Points(dashed), (QList<std::pair<QDate, qreal>>{{QDate(2010, 3, 1), 120},
                                                                 {QDate(2010, 4, 30), 0}}));
        QCOMPARE(dashed->pen().style(), Qt::DashLine);
        QCOMPARE(dashed->pen().color(), contour->pen().color());
        QVERIFY(SeriesNamed(chart, u"Compact"_s + ForecastChart::ForecastSuffix()));
        QVERIFY(!SeriesNamed(chart, u"Aviva"_s + ForecastChart::ForecastSuffix()));
        QVERIFY(!SeriesNamed(chart, u"Freestyle"_s + ForecastChart::ForecastSuffix()));
        // Each definition has its own colour.
        QSet<QRgb> colours;
        for (const char* name : {"Contour", "Compact", "Aviva", "Freestyle"}) {
            colours.insert(SeriesNamed(chart, QString::fromUtf8(name))->pen().color().rgb());
        }
        QCOMPARE(colours.size(), 4);
        QStringList legend;
        for (QLegendMarker* marker : chart->legend()->markers()) {
            if (marker->isVisible()) {
                legend.append(marker->label());
            }
        }
        QCOMPARE(legend, (QStringList{u"Contour"_s, u"Compact"_s, u"Aviva"_s, u"Freestyle"_s,
                                      u"Prognose (gestrichelt)"_s}));
        // Both axes in German; the dates reach from the first day to the last run-out date.
        auto* dateAxis = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
        auto* stockAxis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).value(0));
        QVERIFY(dateAxis && stockAxis);
        QCOMPARE(dateAxis->titleText(), u"Datum"_s);
        QCOMPARE(stockAxis->titleText(), u"Bestand"_s);
        QCOMPARE(dateAxis->categoriesLabels(),
                 (QStringList{u"02.2010"_s, u"03.2010"_s, u"04.2010"_s, u"05.2010"_s}));
        QCOMPARE(DateOf(dateAxis->min()), QDate(2010, 2, 1));
        QCOMPARE(DateOf(dateAxis->max()), QDate(2010, 5, 1));
        QVERIFY(stockAxis->min() <= -5 && stockAxis->max() >= 130);
        // Fewer rows, and the settings the forecast was made with. A long history keeps its date
        // labels apart; a far run-out date ends the axis a year after today, the line runs on
        // out of sight.
        Forecast far = HandMadeForecast();
        far.settings.warnDays = 21;
        far.strips = {{1, "Contour", 900, 0, 0, 1.0, {false, kToday + 900}, false}};
        History history;
        history.strips = {
            {1, "Contour", {}, {{Day(2008, 1, 10), 0}, {Day(2008, 1, 10), 1500}, {kToday, 900}}}};
        view.Show(far, history);
        // The fill replaces lines and axes: Contour's stock and forecast, and the key.
        QCOMPARE(chart->series().size(), 3);
        QCOMPARE(chart->axes().size(), 2);
        QCOMPARE(table->topLevelItemCount(), 2);
        QCOMPARE(Find<QSpinBox>(&view, "spnWarnDays")->value(), 21);
        dateAxis = qobject_cast<QCategoryAxis*>(chart->axes(Qt::Horizontal).value(0));
        const QStringList labels = dateAxis->categoriesLabels();
        QVERIFY2(labels.size() <= 9, qPrintable(labels.join(u' ')));
        QCOMPARE(labels.first(), u"01.2008"_s);
        const QRegularExpression monthYear(u"^\\d\\d\\.\\d{4}$"_s);
        for (const QString& label : labels) {
            QVERIFY2(monthYear.match(label).hasMatch(), qPrintable(label));
        }
        QVERIFY(DateOf(dateAxis->max()) >= QDate(2011, 3, 1));
        QVERIFY(DateOf(dateAxis->max()) < QDate(2011, 3, 1).addMonths(labels.size() > 1 ? 8 : 1));
    }

    void settingsAreStoredOnlyWhenTheUserChangesThemAndTheMainWindowsTabFollows() {
        // "Contour" (meter 33) received 50 strips on 1.2.2010 and used 6 on 10.2.2010.
        m_host->OpenDiary();
        m_host->CreateCompanion();
        m_host->AddStrip("Contour", "|33|");
        m_host->AddLedger(Day(2010, 2, 1), 1, 50);
        m_host->AddReadings(33, Day(2010, 2, 10), 6);
        m_ctx = m_host->MakeContext();
        m_stripList = RunStartup(m_ctx, "").stripList;
        ForecastView view(m_ctx, m_stripList);
        QSignalSpy changed(&view, &ForecastView::settingsChanged);
        view.Show(ComputeForecast(m_ctx, m_stripList, ReadForecastSettings(m_ctx)),
                  ComputeHistory(m_ctx, m_stripList, HistoryStep::Month));
        auto* table = Find<QTreeWidget>(&view, "lvForecast");
        auto* warnDays = Find<QSpinBox>(&view, "spnWarnDays");
        auto* rateDays = Find<QSpinBox>(&view, "spnRateDays");
        QVERIFY(!table->topLevelItem(1)->font(0).bold());
        view.Refresh();
        QCOMPARE(AddonValue(*m_host, "WarnDays"), "<none>");
        QCOMPARE(AddonValue(*m_host, "RateDays"), "<none>");
        QCOMPARE(changed.count(), 0);
        // Looking far ahead, the definition needs a prescription.
        warnDays->setValue(300);
        QCOMPARE(AddonValue(*m_host, "WarnDays"), "300");
        QCOMPARE(AddonValue(*m_host, "RateDays"), "90");
        QCOMPARE(changed.count(), 1);
        QVERIFY(table->topLevelItem(1)->font(0).bold());
        // Typed digits count once the number is complete.
        rateDays->selectAll();
        QTest::keyClicks(rateDays, u"10"_s);
        QCOMPARE(AddonValue(*m_host, "RateDays"), "90");
        QTest::keyClick(rateDays, Qt::Key_Return);
        QCOMPARE(AddonValue(*m_host, "RateDays"), "10");
        // Nothing used in the last ten days: no run-out date, no warning.
        QCOMPARE(RowTexts(table, 1), (QStringList{u"Contour"_s, u"44"_s, u"0,0"_s, QString()}));
        QVERIFY(!table->topLevelItem(1)->font(0).bold());
        // The main window shows the tab last and refreshes it with the consumption.
        const auto window = MainWindow::Start(m_ctx, QString());
        QVERIFY(window);
        auto* tabs = Find<QTabWidget>(window.get(), "vsTab");
        // The first three as the main window test knows them, then this one.
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(3), u"Reichweite"_s);
        QVERIFY(qobject_cast<ForecastView*>(tabs->widget(3)));
        // The row for the tab's buttons sits at the top right: report and export.
        auto* buttons = window->findChild<QHBoxLayout*>(u"forecastButtons"_s);
        QVERIFY(buttons);
        QCOMPARE(buttons->count(), 2);
        QCOMPARE(buttons->itemAt(0)->widget(), Find<QPushButton>(window.get(), "cmdReport"));
        QCOMPARE(buttons->itemAt(1)->widget(), Find<QPushButton>(window.get(), "cmdExport"));
        QCOMPARE(Find<QPushButton>(window.get(), "cmdReport")->text(), u"&Bericht..."_s);
        QCOMPARE(Find<QPushButton>(window.get(), "cmdExport")->text(), u"&Exportieren..."_s);
        table = Find<QTreeWidget>(window.get(), "lvForecast");
        QCOMPARE(table->topLevelItem(1)->text(1), u"44"_s);
        m_host->AddLedger(Day(2010, 2, 20), 1, 100);
        window->RefreshViews();
        QCOMPARE(table->topLevelItem(1)->text(1), u"144"_s);
        m_host->AddLedger(Day(2010, 2, 21), 1, 10);
        window->RefreshConsumption();
        QCOMPARE(table->topLevelItem(1)->text(1), u"154"_s);
        // A setting the user changed stays through the next rebuild.
        Find<QSpinBox>(window.get(), "spnWarnDays")->setValue(30);
        window->RefreshViews();
        QCOMPARE(Find<QSpinBox>(window.get(), "spnWarnDays")->value(), 30);
    }

    // On a host whose diary belongs to Erika Mustermann, today 1.3.2010; the test gives the
    // answers of the period and file dialogs and records what would have been opened.
    void reportAndExportWriteTheChosenFileOrSayWhyNot() {
        StartHost();
        AppendLedgerRow(m_ctx, Day(2009, 5, 1), 24, -2);
        m_stripList = LoadStripList(m_ctx, m_ctx.StripDbPath);
        QWidget parent;
        auto* actions = new ReportActions(m_ctx, m_stripList, &parent);
        actions->SetDocumentsFolder(File("Dokumente"));
        std::optional<ReportPeriod> period;
        ReportPeriod proposed;
        QString chosen;
        QStringList asked;
        QStringList opened;
        actions->SetPeriodChooser([&](QWidget*, const ReportPeriod& offered) {
            proposed = offered;
            return period;
        });
        actions->SetFileChooser(
            [&](QWidget*, const QString& caption, const QString& suggested, const QString& filter) {
                asked << caption << suggested << filter;
                return chosen;
            });
        actions->SetOpener([&](const QString& path) { opened << path; });
        // A cancelled question writes nothing.
        chosen = File("bericht.pdf");
        QVERIFY(!actions->Report());
        QVERIFY(asked.isEmpty());
        period = ReportPeriod{Day(2009, 1, 1), Day(2009, 12, 31)};
        chosen.clear();
        QVERIFY(!actions->Report());
        QVERIFY(!actions->Export());
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        // A failed write says why.
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
        // Written, said so, and opened on "Ja" only.
        asked.clear();
        chosen = File("bericht.pdf");
        MessageBox::SetNextAnswers({Button::Yes});
        QVERIFY(actions->Report());
        QVERIFY((proposed == ReportPeriod{Day(2009, 1, 1), Day(2009, 12, 31)}));
        QCOMPARE(asked.value(0), u"Bericht speichern"_s);
        QCOMPARE(asked.value(1),
                 QDir(File("Dokumente"))
                     .filePath(u"Teststreifen-Nachweis-Erika-Mustermann-2010-03-01.pdf"_s));
        QVERIFY(asked.value(2).contains(u"*.pdf"_s));
        QCOMPARE(QString::fromStdString(ReadBytes(chosen.toStdString()).substr(0, 5)), u"%PDF-"_s);
        QVERIFY(OnlyMessage().startsWith(u"Der Bericht wurde gespeichert."_s));
        QCOMPARE(opened, QStringList{chosen});
        MessageBox::SetNextAnswers({Button::No});
        QVERIFY(actions->Report());
        QCOMPARE(opened.size(), 1);
        asked.clear();
        MessageBox::TakeRecords();
        chosen = File("verordnungen.csv");
        QVERIFY(actions->Export());
        QVERIFY(
            asked.value(1).endsWith(u"/Teststreifen-Nachweis-Erika-Mustermann-2010-03-01.csv"_s));
        QVERIFY(ReadBytes(chosen.toStdString())
                    .ends_with("\r\n01.05.2009;Fehlmessung;2;Accutrend Compact\r\n"));
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        QCOMPARE(opened.size(), 1);
        // The period dialog the program shows proposes and returns what was typed.
        ReportPeriodDialog dialog({Day(2009, 1, 1), Day(2009, 12, 31)});
        auto* from = Find<QDateEdit>(&dialog, "dtFrom");
        auto* to = Find<QDateEdit>(&dialog, "dtTo");
        QCOMPARE(from->date(), QDate(2009, 1, 1));
        QCOMPARE(to->date(), QDate(2009, 12, 31));
        to->setDate(QDate(2010, 2, 28));
        QCOMPARE(dialog.period().to, Day(2010, 2, 28));
    }
};

QTEST_MAIN(ForecastTabTest)
#include "ForecastTabTest.moc"
