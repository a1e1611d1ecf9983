// The error log in the running program: a statement the server refuses leaves its text in
// tabel.log with the time and the window the user was in.

#include "support/dir_fixture.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "directories/nomenclature_window.h"

#include <QPushButton>

using namespace dirtest;

class TestErrorLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void refusedStatementIsLogged();
};

void TestErrorLog::refusedStatementIsLogged()
{
    Program t;
    t.in();
    QVERIFY(t.p.seams.errorLog().isEmpty());
    QString title;
    t.fromMenu<TForm28>("N9", [&](TForm28 *w) {
        title = w->windowTitle();
        // A group with items in it: the server refuses the delete.
        QVERIFY(
            dataModule().nomenclature.locate("s_caption", QStringLiteral("Шкафы металлические")));
        t.messages().answerYes();
        w->Button3->click();
    });
    t.verifyClean();
    const QStringList errors = t.messages().errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.constFirst().contains(QStringLiteral("В группе номенклатуры есть изделия")),
             qPrintable(errors.constFirst()));

    const QString log = t.p.seams.errorLog();
    QCOMPARE(
        log,
        QStringLiteral("2026-10-07 09:00:00  TForm28 «%1»  %2\n")
            .arg(title, QString(errors.constFirst()).replace(u'\n', QStringLiteral("\n    "))));
}

QTEST_MAIN(TestErrorLog)
#include "tst_error_log.moc"
