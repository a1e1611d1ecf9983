#pragma once
// The timesheet's and the report windows' tests: the program started on a copy of the demo
// plant and logged in, rows put in behind the windows, and a look at what a grid paints.

#include "support/hours_rows.h"
#include "support/program_fixture.h"

#include "journal/journal_window.h"
#include "timesheet/timesheet_window.h"
#include "ui/data_grid.h"

#include <QDateEdit>
#include <QPushButton>

#include <QHeaderView>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QTest>

namespace reptest {

using testing::Days;

struct Program
{
    testing::ProgramFixture p;

    explicit Program(const QDate &today = QDate(2026, 12, 10))
    {
        p.seams.setNow(QDateTime(today, QTime(9, 0)));
    }
    // Started and logged in with full rights; a failure is reported through QTest.
    void in(const QString &login = QStringLiteral("senior"))
    {
        QVERIFY(p.start());
        p.login(login, login);
        QVERIFY2(p.seams.messages.shown().isEmpty(),
                 qPrintable(p.seams.messages.texts().join(u'\n')));
    }
    TForm1 *journal() const { return p.journal(); }
    testing::ScriptedMessages &messages() { return p.seams.messages; }
    testing::ScriptedModal &modal() { return p.seams.modal; }
    QString scalar(const QString &sql) const { return p.db.scalar(sql); }
    int count(const QString &sql) const { return p.db.scalar(sql).toInt(); }
    void exec(const QString &sql) const { p.db.exec(sql); }

    // The worker number (person code) and name of the demo plant's n-th employee.
    int worker(int n) const
    {
        return count(QStringLiteral("select s_code from cmn_contractor.person where b_employee "
                                    "order by id offset %1 limit 1")
                         .arg(n));
    }
    QString name(int worker) const
    {
        return scalar(
            QStringLiteral("select s_caption from cmn_contractor.person where s_code = '%1'")
                .arg(worker));
    }

    void addHoursRow(int worker, int shift, int month, int year, const Days &days) const
    {
        testing::addHoursRow(p.db, worker, shift, month, year, days);
    }

    struct Record
    {
        QDate date;
        int shift = 1;
        int worker = 1;
        int hours = 8;
        int operation = 0; // 0: the plant's first operation
        double kolVo = 10;
        int brak = 0;
        double cena = 2;
        int color = 0;
    };
    // A shift record of the operation's item; returns its id.
    int addRecord(const Record &r) const
    {
        const int o = r.operation ? r.operation
                                  : count(QStringLiteral("select min(id) from "
                                                         "mnf_operation.operation"));
        return count(QStringLiteral("insert into accounts_dep.smena(data, smena, w_id, i_id, o_id, "
                                    "cena, kol_vo, brak, time, color) select '%1', %2, %3, "
                                    "id_inventory_items, id, %4, %5, %6, %7, %8 from "
                                    "mnf_operation.operation where id = %9 returning id")
                         .arg(r.date.toString(Qt::ISODate))
                         .arg(r.shift)
                         .arg(r.worker)
                         .arg(r.cena)
                         .arg(r.kolVo)
                         .arg(r.brak)
                         .arg(r.hours)
                         .arg(r.color)
                         .arg(o));
    }
};

// Every text a button showed on screen while it was painted.
struct Captions : QObject
{
    QPushButton *button;
    QStringList shown;
    explicit Captions(QPushButton *b)
        : button(b)
    {
        b->installEventFilter(this);
    }
    ~Captions() override { button->removeEventFilter(this); }
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint && (shown.isEmpty() || shown.last() != button->text()))
            shown << button->text();
        return false;
    }
};

// Opens the timesheet from the journal's menu on `date`; `inside` looks at it while shown.
inline void openTimesheetOn(Program &p, const QDate &date,
                            const std::function<void(TForm19 *)> &inside)
{
    p.modal().script<TForm19>([&](TForm19 *w) {
        inside(w);
        return int(QDialog::Rejected);
    });
    p.journal()->DateT->setDate(date);
    p.journal()->N11Click();
    QCOMPARE(p.modal().pending(QStringLiteral("TForm19")), 0);
}

inline QStringList columnTexts(const QAbstractItemModel *m, int column)
{
    QStringList r;
    for (int row = 0; row < m->rowCount(); ++row)
        r << m->index(row, column).data().toString();
    return r;
}

// --- what a grid paints ------------------------------------------------------------------------

// The cell as the grid paints it, inside its grid lines.
inline QImage cellImage(ui::DataGrid *g, int row, int column)
{
    const QModelIndex index = g->model()->index(row, column);
    g->scrollTo(index);
    const QImage all = g->viewport()->grab().toImage();
    return all.copy(g->visualRect(index).adjusted(1, 1, -1, -1));
}

// A column title as the header paints it, inside the section's frame.
inline QImage titleImage(ui::DataGrid *g, int column)
{
    g->scrollTo(g->model()->index(0, column));
    QHeaderView *h = g->horizontalHeader();
    const QImage all = h->viewport()->grab().toImage();
    return all.copy(
        QRect(h->sectionViewportPosition(column), 0, h->sectionSize(column), h->height())
            .adjusted(3, 3, -3, -3));
}

inline int distance(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b));
}

// The ink of a text painted on a background: how many pixels differ from it, and the pixel
// that differs most (the text's own colour where a stroke covers a pixel whole).
struct Ink
{
    int pixels = 0;
    QColor strongest;
};

inline Ink inkOf(const QImage &img, const QColor &background)
{
    Ink ink;
    int best = 0;
    const QRgb bg = background.rgb();
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            const int d = distance(px, bg);
            if (d > 60)
                ++ink.pixels;
            if (d > best) {
                best = d;
                ink.strongest = QColor(px);
            }
        }
    }
    return ink;
}

// The ink of `text` painted centred in a box of `size` with `font`, black on white.
inline int referenceInk(const QFont &font, const QString &text, const QSize &size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(img.rect(), Qt::AlignCenter, text);
    }
    return inkOf(img, Qt::white).pixels;
}

inline bool isRed(const QColor &c)
{
    return c.red() > 200 && c.green() < 100 && c.blue() < 100;
}
inline bool isDark(const QColor &c)
{
    return c.isValid() && c.red() < 100 && c.green() < 100 && c.blue() < 100;
}
// Grey text on white: lighter than black text, with no hue.
inline bool isSilver(const QColor &c)
{
    return c.isValid() && c.red() > 150 && c.red() < 230 && qAbs(c.red() - c.green()) < 12
        && qAbs(c.green() - c.blue()) < 12;
}

} // namespace reptest
