// The monthly timesheet when the server restarts: a month rebuild that meets the dead connection,
// or loses it half-way through the month, shows one error and leaves every hours row as it was;
// the next rebuild gives what a rebuild without a restart gives, one row per worker and shift.
// Printing and the export after a restart show one error, and the next press delivers.

#include "support/reconnect_fixture.h"
#include "support/report_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "timesheet/timesheet_window.h"

#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>

using namespace reptest;
using testing::restartServer;

namespace {

// The month's hours rows as text: with their ids (nothing touched) or without (same content).
QString month(const Program &p, bool withIds)
{
    return p.scalar(QStringLiteral("select string_agg(%1, ',' order by w_id, smena, id) from "
                                   "accounts_dep.h_tabel h where month = 11 and year = 2026")
                        .arg(withIds ? QStringLiteral("h::text")
                                     : QStringLiteral("(to_jsonb(h) - 'id')::text")));
}

int twins(const Program &p)
{
    return p.count("select count(*) from (select 1 from accounts_dep.h_tabel where month = 11 "
                   "and year = 2026 group by w_id, smena having count(*) > 1) x");
}

void spoil(const Program &p)
{
    p.exec("update accounts_dep.h_tabel set d3 = 99 where month = 11 and year = 2026");
}

// The timesheet shown on its own on November 2026.
struct Shown
{
    TForm19 *w = forms().timesheet;
    Shown()
    {
        w->show();
        const int m = w->ComboBox1->findText(QStringLiteral("Ноябрь"));
        w->ComboBox1->setCurrentIndex(m);
        Q_EMIT w->ComboBox1->activated(m);
        const int y = w->ComboBox2->findText(QStringLiteral("2026"));
        w->ComboBox2->setCurrentIndex(y);
        Q_EMIT w->ComboBox2->activated(y);
    }
    ~Shown()
    {
        w->hide();
        for (db::Dataset *ds :
             {&dataModule().H_Tabel_1, &dataModule().H_Tabel_2, &dataModule().H_Tabel_3})
            ds->close();
    }
    bool gridsOpen() const
    {
        return dataModule().H_Tabel_1.isOpen() && dataModule().H_Tabel_2.isOpen()
            && dataModule().H_Tabel_3.isOpen();
    }
};

} // namespace

class TestTimesheetReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rebuild_data();
    void rebuild();
    void outputs_data();
    void outputs();
};

void TestTimesheetReconnect::rebuild_data()
{
    QTest::addColumn<int>("restartOnDay"); // 0: before the press
    QTest::newRow("restart between two presses") << 0;
    QTest::newRow("restart half-way through the month") << 15;
}

void TestTimesheetReconnect::rebuild()
{
    QFETCH(int, restartOnDay);
    Program p;
    p.in();
    Shown s;
    // What a rebuild without a restart gives.
    spoil(p);
    QTest::mouseClick(s.w->Button1, Qt::LeftButton);
    QVERIFY(p.messages().shown().isEmpty());
    const QString rebuilt = month(p, false);
    QVERIFY(!rebuilt.contains(QStringLiteral("\"d3\": 99")));
    spoil(p);
    const QString spoilt = month(p, true);

    bool restarted = false;
    const QMetaObject::Connection during
        = connect(s.w->PB, &QProgressBar::valueChanged, s.w, [&](int day) {
              if (restartOnDay && day == restartOnDay && !restarted) {
                  restarted = true;
                  restartServer();
              }
          });
    if (!restartOnDay)
        restartServer();
    QTest::mouseClick(s.w->Button1, Qt::LeftButton);
    QObject::disconnect(during);
    VERIFY_ONE_LOST_ERROR(p.messages(), 0);
    QVERIFY(restartOnDay == 0 || restarted);
    // All or nothing: the month's rows are the spoilt ones, untouched, and the grids show them.
    QCOMPARE(month(p, true), spoilt);
    QVERIFY(s.gridsOpen());
    QVERIFY(s.w->PB->isHidden());
    QVERIFY(s.w->Button1->isEnabled());

    QTest::mouseClick(s.w->Button1, Qt::LeftButton);
    QCOMPARE(p.messages().shown().size(), 1);
    QCOMPARE(month(p, false), rebuilt);
    QCOMPARE(twins(p), 0);
    QVERIFY(s.gridsOpen());
}

void TestTimesheetReconnect::outputs_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Печать") << QStringLiteral("Button6");
    QTest::newRow("Excel") << QStringLiteral("Button2");
}

void TestTimesheetReconnect::outputs()
{
    QFETCH(QString, button);
    Program p;
    p.in();
    int deliveredAfterFailure = -1;
    bool enabledAfterFailure = false;
    QString problem;
    auto delivered
        = [&p] { return p.p.seams.previews.count() + int(p.p.seams.spreadsheets.opened().size()); };
    openTimesheetOn(p, QDate(2026, 11, 10), [&](TForm19 *w) {
        auto *b = w->findChild<QPushButton *>(button);
        restartServer();
        QTest::mouseClick(b, Qt::LeftButton);
        problem = reconnect::oneLostError(p.messages());
        deliveredAfterFailure = delivered();
        enabledAfterFailure = b->isEnabled() && w->Button1->isEnabled();
        QTest::mouseClick(b, Qt::LeftButton);
    });
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(deliveredAfterFailure, 0);
    QVERIFY(enabledAfterFailure);
    QCOMPARE(p.messages().shown().size(), 1);
    QCOMPARE(delivered(), 1);
}

QTEST_MAIN(TestTimesheetReconnect)
#include "tst_timesheet_reconnect.moc"
