#include "report/ReportPdf.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <vector>

#include "host/AtomicFile.h"
#include "text/OleDate.h"
#include "text/Regional.h"
#include "text/TextHelpers.h"

namespace stripstock {

namespace {

constexpr int kDpi = 300;
const QColor kRuleColor(150, 150, 150);
const QColor kShade(232, 236, 240);
const QColor kFootColor(90, 90, 90);

QString Q(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// 1.250 rather than 1250: the way German readers group digits.
QString Number(std::int64_t value) {
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    for (int i = int(digits.size()) - 3; i > 0; i -= 3) digits.insert(std::size_t(i), 1, '.');
    return Q((negative ? "-" : "") + digits);
}

QString Date(double day) { return Q(FormatShortDate(day)); }

struct Column {
    QString header;
    qreal width = 0;  // in millimetres
    bool number = false;
    QString group;  // a caption over this column and the next ones up to an empty column
};

enum class RowKind { Plain, Total, Group };

// Lays the report out from top to bottom, starting a new page where the next row does not fit
// and repeating the running table's header there. The page count is known only at the end,
// so the document is drawn twice: the first time to count.
class Layout {
  public:
    Layout(QPdfWriter& writer, int pageCount, QString footLeft)
        : m_writer(writer), m_pageCount(pageCount), m_footLeft(std::move(footLeft)) {
        m_painter.begin(&m_writer);
        const QRect page = m_writer.pageLayout().paintRectPixels(kDpi);
        m_width = page.width();
        m_bottom = page.height() - mm(10);
        m_base.setFamily(QStringLiteral("DejaVu Sans"));
        m_base.setPointSizeF(9);
        m_bold = m_base;
        m_bold.setBold(true);
    }

    void Finish() {
        Foot();
        m_painter.end();
    }
    int page() const { return m_page; }
    qreal mm(qreal v) const { return v * kDpi / 25.4; }
    qreal width() const { return m_width; }

    void Title(const QString& text, qreal pointSize) {
        QFont f = m_bold;
        f.setPointSizeF(pointSize);
        Text(text, f, 0, m_width, Qt::AlignLeft);
    }

    // A paragraph over the full width, wrapped.
    void Text(const QString& text, const QFont& font, qreal x, qreal w, Qt::Alignment align) {
        m_painter.setFont(font);
        const qreal h = Height(text, w);
        Need(h);
        m_painter.drawText(QRectF(x, m_y, w, h), text, Option(align));
        m_y += h;
    }
    const QFont& base() const { return m_base; }
    const QFont& bold() const { return m_bold; }
    void Space(qreal millimetres) { m_y += mm(millimetres); }
    // Starts a new page unless this much is left, so a heading stays with what follows it.
    void Reserve(qreal millimetres) { Need(mm(millimetres)); }

    // A two-column block of "label value" lines.
    void Facts(const std::vector<std::pair<QString, QString>>& facts) {
        qreal labelWidth = 0;
        m_painter.setFont(m_base);
        for (const auto& [label, value] : facts)
            labelWidth = std::max(
                labelWidth,
                QFontMetricsF(m_painter.font(), m_painter.device()).horizontalAdvance(label));
        labelWidth += mm(3);
        for (const auto& [label, value] : facts) {
            m_painter.setFont(m_bold);
            const qreal valueHeight = Height(value, m_width - labelWidth);
            m_painter.setFont(m_base);
            const qreal h = std::max(Height(label, labelWidth), valueHeight);
            Need(h);
            m_painter.drawText(QRectF(0, m_y, labelWidth, h), label, Option(Qt::AlignLeft));
            m_painter.setFont(m_bold);
            m_painter.drawText(QRectF(labelWidth, m_y, m_width - labelWidth, h), value,
                               Option(Qt::AlignLeft));
            m_y += h + mm(0.5);
        }
    }

    void BeginTable(std::vector<Column> columns) {
        m_columns = std::move(columns);
        Header();
    }

    void Row(const QStringList& cells, RowKind kind) {
        m_painter.setFont(kind == RowKind::Plain ? m_base : m_bold);
        const qreal pad = mm(0.55);
        qreal h = 0;
        if (kind == RowKind::Group) {
            h = Height(cells.value(0), m_width - 2 * pad) + 2 * pad;
        } else {
            for (std::size_t i = 0; i < m_columns.size(); ++i)
                h = std::max(h,
                             Height(cells.value(qsizetype(i)), mm(m_columns[i].width) - 2 * pad));
            h += 2 * pad;
        }
        // A group heading keeps at least one row below it on its page.
        if (m_y + (kind == RowKind::Group ? 2 * h : h) > m_bottom) {
            NewPage();
            Header();
            m_painter.setFont(kind == RowKind::Plain ? m_base : m_bold);
        }
        if (kind == RowKind::Group) {
            m_painter.fillRect(QRectF(0, m_y, TableWidth(), h), kShade);
            m_painter.drawText(QRectF(pad, m_y + pad, TableWidth() - 2 * pad, h - 2 * pad),
                               cells.value(0), Option(Qt::AlignLeft));
        } else {
            if (kind == RowKind::Total) Rule(m_y, 1.0);
            qreal x = 0;
            for (std::size_t i = 0; i < m_columns.size(); ++i) {
                const qreal w = mm(m_columns[i].width);
                m_painter.drawText(QRectF(x + pad, m_y + pad, w - 2 * pad, h - 2 * pad),
                                   cells.value(qsizetype(i)),
                                   Option(m_columns[i].number ? Qt::AlignRight : Qt::AlignLeft));
                x += w;
            }
        }
        m_y += h;
    }

    void EndTable() {
        Rule(m_y, 1.0);
        m_columns.clear();
    }

    // The stock of all strips over the period as steps, with the quarters on the time axis.
    void Chart(const ReportTable& table) {
        const qreal h = mm(36);
        Need(h + mm(8));
        const qreal left = mm(16), right = m_width - mm(2), top = m_y + mm(2),
                    bottom = m_y + h - mm(7);
        std::int64_t high = 0, low = 0;
        for (const StockPoint& p : table.curve) {
            high = std::max(high, p.stock);
            low = std::min(low, p.stock);
        }
        const std::int64_t step = NiceStep(high - low);
        high = (high / step + 1) * step;
        low = low < 0 ? -((-low) / step + 1) * step : 0;
        const double from = table.period.from, to = table.period.to + 1.0;
        const auto X = [&](double day) {
            return left + (day - from) / (to - from) * (right - left);
        };
        const auto Y = [&](std::int64_t v) {
            return bottom - double(v - low) / double(high - low) * (bottom - top);
        };

        QFont small = m_base;
        small.setPointSizeF(7.5);
        m_painter.setFont(small);
        m_painter.setPen(QPen(kRuleColor, mm(0.15)));
        for (std::int64_t v = low; v <= high; v += step) {
            m_painter.drawLine(QPointF(left, Y(v)), QPointF(right, Y(v)));
            m_painter.drawText(QRectF(0, Y(v) - mm(2), left - mm(1.5), mm(4)), Number(v),
                               Option(Qt::AlignRight | Qt::AlignVCenter));
        }
        for (double first = from; first < to;) {
            const CivilDateTime c = FromOleDate(first);
            const int month = c.month + 3;
            const double next = std::min(
                to, ToOleDate({c.year + (month > 12 ? 1 : 0), (month - 1) % 12 + 1, 1, 0, 0, 0}));
            m_painter.drawLine(QPointF(X(first), top), QPointF(X(first), bottom + mm(1)));
            const QString label = QStringLiteral("Q%1/%2").arg((c.month - 1) / 3 + 1).arg(c.year);
            m_painter.drawText(QRectF(X(first), bottom + mm(1), X(next) - X(first), mm(5)), label,
                               Option(Qt::AlignHCenter | Qt::AlignTop));
            first = next;
        }
        if (!table.curve.empty()) {
            // Use runs down between the points; a prescription is a jump on its day.
            QPainterPath path;
            path.moveTo(X(table.curve.front().date), Y(table.curve.front().stock));
            for (std::size_t i = 1; i < table.curve.size(); ++i)
                path.lineTo(X(table.curve[i].date), Y(table.curve[i].stock));
            m_painter.setPen(QPen(QColor(20, 80, 160), mm(0.5)));
            m_painter.drawPath(path);
        }
        m_painter.setPen(QPen(Qt::black, mm(0.2)));
        m_painter.drawLine(QPointF(left, top), QPointF(left, bottom));
        m_painter.drawLine(QPointF(left, Y(0)), QPointF(right, Y(0)));
        m_painter.setPen(Qt::black);
        m_y += h;
    }

  private:
    static QTextOption Option(Qt::Alignment align) {
        QTextOption option(align);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        return option;
    }

    static std::int64_t NiceStep(std::int64_t span) {
        std::int64_t step = 1;
        while (span / step > 5) {
            if (span / (step * 2) <= 5) return step * 2;
            if (span / (step * 5) <= 5) return step * 5;
            step *= 10;
        }
        return step;
    }

    qreal Height(const QString& text, qreal w) {
        if (text.isEmpty()) return m_painter.fontMetrics().height();
        return m_painter.boundingRect(QRectF(0, 0, w, 1e7), text, Option(Qt::AlignLeft)).height();
    }

    qreal TableWidth() const {
        qreal w = 0;
        for (const Column& c : m_columns) w += mm(c.width);
        return w;
    }

    void Header() {
        m_painter.setFont(m_bold);
        const qreal pad = mm(0.55);
        Captions();
        qreal h = 0;
        for (const Column& c : m_columns)
            if (!c.header.isEmpty()) h = std::max(h, Height(c.header, mm(c.width) - 2 * pad));
        h += 2 * pad;
        Need(h * 2);
        qreal x = 0;
        for (const Column& c : m_columns) {
            m_painter.drawText(QRectF(x + pad, m_y + pad, mm(c.width) - 2 * pad, h - 2 * pad),
                               c.header, Option(c.number ? Qt::AlignRight : Qt::AlignLeft));
            x += mm(c.width);
        }
        m_y += h;
        Rule(m_y, 1.0);
    }

    // The captions of column groups, each over its columns up to the next empty column.
    void Captions() {
        if (std::none_of(m_columns.begin(), m_columns.end(),
                         [](const Column& c) { return !c.group.isEmpty(); }))
            return;
        const qreal h = Height(QStringLiteral("X"), m_width) + mm(1);
        Need(h * 3);
        qreal x = 0;
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            if (!m_columns[i].group.isEmpty()) {
                qreal w = 0;
                for (std::size_t j = i; j < m_columns.size() && !m_columns[j].header.isEmpty(); ++j)
                    w += mm(m_columns[j].width);
                m_painter.drawText(QRectF(x + mm(0.7), m_y, w - mm(1.4), h), m_columns[i].group,
                                   Option(Qt::AlignLeft));
                const QPen pen = m_painter.pen();
                m_painter.setPen(QPen(kRuleColor, mm(0.15)));
                m_painter.drawLine(QPointF(x, m_y + h), QPointF(x + w, m_y + h));
                m_painter.setPen(pen);
            }
            x += mm(m_columns[i].width);
        }
        m_y += h;
    }

    void Rule(qreal y, qreal weight) {
        const QPen pen = m_painter.pen();
        m_painter.setPen(QPen(Qt::black, mm(0.2) * weight));
        m_painter.drawLine(QPointF(0, y), QPointF(m_columns.empty() ? m_width : TableWidth(), y));
        m_painter.setPen(pen);
    }

    void Need(qreal h) {
        if (m_y + h > m_bottom && m_y > 0) NewPage();
    }

    void NewPage() {
        Foot();
        m_writer.newPage();
        ++m_page;
        m_y = 0;
    }

    void Foot() {
        const QFont font = m_painter.font();
        QFont small = m_base;
        small.setPointSizeF(8);
        m_painter.setFont(small);
        m_painter.setPen(QPen(kRuleColor, mm(0.15)));
        const qreal y = m_bottom + mm(4);
        m_painter.drawLine(QPointF(0, y), QPointF(m_width, y));
        m_painter.setPen(kFootColor);
        const QRectF line(0, y + mm(1), m_width, mm(5));
        m_painter.drawText(line, m_footLeft, Option(Qt::AlignLeft));
        m_painter.drawText(
            line, QStringLiteral("Seite %1 von %2").arg(m_page).arg(std::max(m_pageCount, m_page)),
            Option(Qt::AlignRight));
        m_painter.setPen(Qt::black);
        m_painter.setFont(font);
    }

    QPdfWriter& m_writer;
    QPainter m_painter;
    int m_pageCount;
    QString m_footLeft;
    QFont m_base;
    QFont m_bold;
    qreal m_width = 0;
    qreal m_bottom = 0;
    qreal m_y = 0;
    int m_page = 1;
    std::vector<Column> m_columns;
};

QStringList Cells(const ReportLine& line) {
    const ReportFigures& f = line.figures;
    return {Q(line.strip), Number(f.received), Number(f.used), Number(f.faulty),
            Number(f.stockAtEnd)};
}

void Draw(Layout& out, const ReportTable& table) {
    out.Title(QString::fromUtf8(kReportTitle), 16);
    out.Space(3);
    out.Facts({{QStringLiteral("Tagebuchinhaber:"), Q(table.owner)},
               {QStringLiteral("Zeitraum:"), Q(PeriodText(table.period))},
               {QStringLiteral("Erstellt am:"), Date(table.madeOn)}});
    if (!table.diaryFailure.empty()) {
        out.Space(1);
        out.Text(QStringLiteral("Die Messwerte fehlen: ") + Q(table.diaryFailure), out.base(), 0,
                 out.width(), Qt::AlignLeft);
    }

    out.Space(4);
    out.Reserve(30);
    out.Title(QStringLiteral("Teststreifen je Quartal"), 11);
    out.Space(1);
    const std::vector<Column> figures{{QStringLiteral("Teststreifen"), 68, false, {}},
                                      {QStringLiteral("Bezogen"), 22, true, {}},
                                      {QStringLiteral("Verbraucht"), 24, true, {}},
                                      {QStringLiteral("Fehlmessungen"), 31, true, {}},
                                      {QStringLiteral("Endbestand"), 30, true, {}}};
    out.BeginTable(figures);
    for (const ReportQuarter& q : table.quarters) {
        out.Row({Q(q.title + "   (" + PeriodText({q.first, q.last}) + ")")}, RowKind::Group);
        for (const ReportLine& line : q.lines) out.Row(Cells(line), RowKind::Plain);
        out.Row(Cells(q.total), RowKind::Total);
    }
    out.Row({QStringLiteral("Zeitraum gesamt")}, RowKind::Group);
    for (const ReportLine& line : table.totals) out.Row(Cells(line), RowKind::Plain);
    out.Row(Cells(table.total), RowKind::Total);
    out.EndTable();
    QFont note = out.base();
    note.setPointSizeF(7.5);
    out.Space(1);
    out.Text(
        QStringLiteral("Verbraucht: Blutzuckermessungen im Tagebuch mit den Messgeräten des "
                       "Teststreifens. Endbestand: Bezogen minus Verbraucht minus Fehlmessungen "
                       "seit Beginn der Aufzeichnung."),
        note, 0, out.width(), Qt::AlignLeft);

    if (!table.curve.empty() && !table.quarters.empty()) {
        out.Space(4);
        out.Reserve(48);
        out.Title(QStringLiteral("Bestand aller Teststreifen"), 11);
        out.Space(1);
        out.Chart(table);
    }

    // Prescriptions and faulty measurements side by side: a year's fit beside the chart's page.
    out.Space(4);
    out.Reserve(30);
    out.Title(QStringLiteral("Verordnungen und Fehlmessungen im Zeitraum"), 11);
    out.Space(1);
    out.BeginTable({{QStringLiteral("Datum"), 21, false, QStringLiteral("Verordnungen (Bezug)")},
                    {QStringLiteral("Menge"), 15, true, {}},
                    {QStringLiteral("Teststreifen"), 59, false, {}},
                    {QString(), 5, false, {}},
                    {QStringLiteral("Datum"), 21, false, QStringLiteral("Fehlmessungen")},
                    {QStringLiteral("Anzahl"), 15, true, {}},
                    {QStringLiteral("Messgerät"), 39, false, {}}});
    const std::size_t rows = std::max(table.prescriptions.size(), table.faulty.size());
    if (rows == 0) out.Row({QString(), QString(), QStringLiteral("keine")}, RowKind::Plain);
    for (std::size_t i = 0; i < rows; ++i) {
        QStringList cells;
        for (const auto* list : {&table.prescriptions, &table.faulty}) {
            if (i < list->size()) {
                const ReportEntry& e = (*list)[i];
                cells << Date(e.date) << Number(e.count) << Q(e.name);
            } else {
                cells << QString() << QString() << (i == 0 ? QStringLiteral("keine") : QString());
            }
            if (list == &table.prescriptions) cells << QString();
        }
        out.Row(cells, RowKind::Plain);
    }
    out.EndTable();
}

QByteArray Render(const ReportTable& table, const QString& foot, int pageCount, int* pages) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 15, 15, 12), QPageLayout::Millimeter));
    writer.setTitle(QString::fromUtf8(kReportTitle) + QStringLiteral(" – ") + Q(table.owner));
    writer.setCreator(foot);
    Layout layout(writer, pageCount, foot);
    Draw(layout, table);
    layout.Finish();
    *pages = layout.page();
    return bytes;
}

}  // namespace

QByteArray RenderReportPdf(const ReportTable& table, const std::string& programLine) {
    int pages = 0;
    Render(table, Q(programLine), 0, &pages);
    int drawn = 0;
    return Render(table, Q(programLine), pages, &drawn);
}

bool WriteReportPdf(const ReportTable& table, const std::string& programLine,
                    const std::string& path, std::string* reason) {
    const QByteArray pdf = RenderReportPdf(table, programLine);
    return WriteFileAtomically(Utf8Path(path),
                               std::string_view(pdf.constData(), std::size_t(pdf.size())), reason);
}

}  // namespace stripstock
