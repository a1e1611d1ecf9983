// The reports after a server restart: each preview, the export and the on-screen selection show
// one error and deliver nothing; pressed again, each delivers once.

#include "support/reconnect_fixture.h"
#include "support/report_fixture.h"

#include "core/forms.h"
#include "reports/summary_reports_window.h"
#include "reports/worker_report_window.h"

#include <QDateEdit>
#include <QPushButton>

using namespace reptest;
using testing::restartServer;

class TestReportReconnect : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void summary_data();
    void summary();
    void onScreenSelection();
};

void TestReportReconnect::summary_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("Отчет по рабочим") << "Button4";
    QTest::newRow("Отчет по продукции") << "Button2";
    QTest::newRow("Детальный отчет по рабочим") << "Button1";
    QTest::newRow("Детальный отчет по продукции") << "Button3";
    QTest::newRow("Детальный отчет по заявкам") << "Button7";
    QTest::newRow("Excel") << "Button6";
}

void TestReportReconnect::summary()
{
    QFETCH(QString, button);
    Program p;
    p.in();
    auto delivered
        = [&p] { return p.p.seams.previews.count() + int(p.p.seams.spreadsheets.opened().size()); };
    QString problem;
    int deliveredAfterFailure = -1;
    bool enabledAfterFailure = false;
    p.modal().script<TForm18>([&](TForm18 *w) {
        w->DTPicker1->setDate(QDate(2026, 11, 1));
        w->DTPicker2->setDate(QDate(2026, 12, 1));
        auto *b = w->findChild<QPushButton *>(button);
        restartServer();
        b->click();
        problem = reconnect::oneLostError(p.messages());
        deliveredAfterFailure = delivered();
        enabledAfterFailure = b->isEnabled() && w->isVisible();
        b->click();
        return int(QDialog::Rejected);
    });
    p.journal()->N10Click();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(deliveredAfterFailure, 0);
    QVERIFY(enabledAfterFailure);
    QCOMPARE(p.messages().shown().size(), 1);
    QCOMPARE(delivered(), 1);
    if (p.p.seams.previews.count() == 1)
        QVERIFY(p.p.seams.previews.last().pageCount() > 0);
}

void TestReportReconnect::onScreenSelection()
{
    Program p;
    p.in();
    TForm12 *w = forms().workerReport;
    w->DTPicker1->setDate(QDate(2026, 11, 1));
    w->DTPicker2->setDate(QDate(2026, 12, 1));
    w->show();
    restartServer();
    w->Button1->click();
    VERIFY_ONE_LOST_ERROR(p.messages(), 0);
    QCOMPARE(w->DBGrid1->model()->rowCount(), 0);
    w->Button1->click();
    QCOMPARE(p.messages().shown().size(), 1);
    QVERIFY(w->DBGrid1->model()->rowCount() > 0);
    QCOMPARE(w->DBGrid1->model()->rowCount(), w->query().recordCount());
    w->hide();
}

QTEST_MAIN(TestReportReconnect)
#include "tst_report_reconnect.moc"
