// "История записи": a record entered, given its material and brigade, divided, changed by
// another client, changed, accepted and deleted through the windows, each step shown with its
// login, kind and values; a record older than the history; history nobody can change.

#include "support/material_fixture.h"

#include "journal/history_window.h"

#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTableWidget>

using namespace entrytest;

namespace {

// What the history window showed: a line per row, "who | what | values" (values joined by
// "; "), and the texts above and below.
struct Shown
{
    QStringList rows;
    QString title, since;
    bool sinceShown = false;
};

// psql as another client, with a login of the demo (password = login); its exit code and
// its error text.
std::pair<int, QString> psqlAs(const testing::TestDatabase &db, const QString &login,
                               const QString &sql)
{
    const testing::TestServer &s = testing::TestServer::get();
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), login);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
             QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), s.host, QStringLiteral("-p"),
             QString::number(s.port), QStringLiteral("-U"), login, QStringLiteral("-d"), db.name(),
             QStringLiteral("-c"), sql});
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

struct History : Material
{
    QString name(int person) const
    {
        return scalar(QStringLiteral("select s_caption from cmn_contractor.person where id = %1")
                          .arg(person));
    }
    // Opens the history of the journal's current row from the row's context menu.
    Shown fromMenu(int id)
    {
        refresh();
        go(id);
        Shown shown;
        modal().script<TForm34>([&](TForm34 *w) {
            shown = read(w);
            w->Button1->click();
            return w->result();
        });
        const QRect cell = j()->DBGrid2->visualRect(j()->DBGrid2->currentIndex());
        emit j()->DBGrid2->customContextMenuRequested(cell.center());
        QMenu *menu = j()->PopupMenu1;
        if (!menu->isVisible() || !menu->actions().contains(j()->NHistory))
            QTest::qFail("the row's menu is not shown", __FILE__, __LINE__);
        menu->hide();
        j()->NHistory->trigger();
        return shown;
    }
    static Shown read(TForm34 *w)
    {
        Shown s;
        for (int row = 0; row < w->Grid1->rowCount(); ++row) {
            QStringList cells;
            for (int c = 1; c < w->Grid1->columnCount(); ++c)
                cells << w->Grid1->item(row, c)->text().replace(u'\n', QStringLiteral("; "));
            s.rows << cells.join(QStringLiteral(" | "));
        }
        s.title = w->Label1->text();
        s.since = w->Label2->text();
        s.sinceShown = !w->Label2->isHidden();
        return s;
    }
};

} // namespace

class TestJournalHistory : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stepsThroughTheWindows();
    void olderThanTheHistory();
    void nobodyChangesHistory_data();
    void nobodyChangesHistory();
};

void TestJournalHistory::stepsThroughTheWindows()
{
    History t;
    // Entered with its bolts and a brigade member; "Сохранить" divides it.
    int id = 0;
    t.add([&](TForm11 *w) {
        t.fillByRequisition(w, 1, 1, 21, 5, QStringLiteral("10"));
        w->Button1->click();
        id = w->recordId;
        t.modal().script<TForm24>([](TForm24 *m) {
            Editor::choose(m->LCB_id_gds_use, kGoods);
            m->Edit7->setText(QStringLiteral("2,5"));
            m->Button1->click();
            return m->result();
        });
        w->Button5->click();
        t.scriptWorker(22);
        w->Button7->click();
        w->Button9->click();
    });
    QVERIFY(id > 0);
    const int share = t.count(
        QStringLiteral("select id from accounts_dep.smena where id > %1 and w_id = 22").arg(id));
    QVERIFY(share > id);
    // Another client changes the share's hours, as the clerk.
    QCOMPARE(
        psqlAs(t.p.db, QStringLiteral("clerk"),
               QStringLiteral("update accounts_dep.smena set time = 6 where id = %1").arg(share))
            .first,
        0);
    // Changed in the editor, accepted, and the share deleted.
    t.refresh();
    t.go(id);
    t.change([&](TForm11 *w) {
        w->Edit3->setText(QStringLiteral("4,5"));
        w->Button1->click();
    });
    t.refresh();
    t.go(id);
    t.j()->Button5->click();
    t.refresh();
    t.go(share);
    t.messages().answerYes();
    t.j()->Button3->click();
    t.verifyClean();
    QCOMPARE(t.scalar(QStringLiteral("select ok from accounts_dep.smena where id = %1").arg(id)),
             QStringLiteral("ok"));
    QCOMPARE(
        t.count(QStringLiteral("select count(*) from accounts_dep.smena where id = %1").arg(share)),
        0);

    const QString worker = t.name(21), member = t.name(22);
    const Shown record = t.fromMenu(id);
    QCOMPARE(record.title, QStringLiteral("Запись журнала № %1").arg(id));
    QVERIFY(!record.sinceShown);
    const QStringList expected = {
        QStringLiteral("senior | Запись принята | Принята: нет → да"),
        QStringLiteral("senior | Запись изменена | Количество: 5 → 4,5"),
        QStringLiteral("senior | Разделение: работник снят с бригады | Работник: %1").arg(member),
        QStringLiteral("senior | Разделение: доля передана в запись № %1 | Работник: %2; "
                       "Количество: 5; Брак: 0")
            .arg(share)
            .arg(member),
        QStringLiteral("senior | Разделение по бригаде | Количество: 10 → 5"),
        QStringLiteral("senior | Работник добавлен в бригаду | Работник: %1").arg(member),
        QStringLiteral("senior | Расход ТМЦ добавлен | ТМЦ: %1; Расход: 2,5; Партия: —")
            .arg(t.scalar(QStringLiteral("select s_caption from cmn_gds_and_srv.gds_and_srv "
                                         "where id = %1")
                              .arg(kGoods))),
    };
    QCOMPARE(record.rows.mid(0, expected.size()), expected);
    // The first step: the record as entered, with the names of what it points at.
    QCOMPARE(record.rows.size(), expected.size() + 1);
    const QString entered = record.rows.last();
    QVERIFY2(entered.startsWith(QStringLiteral("senior | Запись добавлена | Дата: 10.12.2026; "
                                               "Смена: 1; Работник: %1; Изделие: СТ-1000; ")
                                    .arg(worker)),
             qPrintable(entered));
    for (const QString &part : {QStringLiteral("; Количество: 10; Брак: 0; "),
                                QStringLiteral("; Партия: —; Принята: нет; "
                                               "Заведена: 10.12.2026 00:00:00")})
        QVERIFY2(entered.contains(part), qPrintable(entered));

    // The deleted share: read by its number, the clerk's change under his login.
    const Shown gone = [&] {
        Shown s;
        t.modal().script<TForm34>([&](TForm34 *w) {
            s = History::read(w);
            return int(QDialog::Rejected);
        });
        forms().history->openFor(share);
        return s;
    }();
    QCOMPARE(gone.title, QStringLiteral("Запись журнала № %1 (удалена)").arg(share));
    QCOMPARE(gone.rows.size(), 3);
    QVERIFY2(gone.rows[0].startsWith(QStringLiteral("senior | Запись удалена | Дата: 10.12.2026")),
             qPrintable(gone.rows[0]));
    QCOMPARE(gone.rows[1], QStringLiteral("clerk | Запись изменена | Часы: 8 → 6"));
    QVERIFY2(gone.rows[2].startsWith(QStringLiteral("senior | Создана разделением записи № %1 | "
                                                    "Дата: 10.12.2026; Смена: 1; Работник: %2")
                                         .arg(id)
                                         .arg(member)),
             qPrintable(gone.rows[2]));
    QVERIFY(!gone.sinceShown);
}

// A record of the demo, entered before the history began: the window says since when it is
// kept; F8 opens it as the menu does.
void TestJournalHistory::olderThanTheHistory()
{
    History t;
    const int id = t.count(QStringLiteral("select min(id) from accounts_dep.smena where data = "
                                          "'2026-12-10' and smena = 1 and ok = 'no'"));
    const QString since
        = t.scalar(QStringLiteral("select to_char(d_since, 'DD.MM.YYYY HH24:MI:SS') from "
                                  "accounts_dep.history_since"));
    QVERIFY(!since.isEmpty());
    t.refresh();
    t.go(id);
    Shown before, after;
    t.modal().script<TForm34>([&](TForm34 *w) {
        before = History::read(w);
        return int(QDialog::Rejected);
    });
    QCOMPARE(t.j()->NHistory->shortcut(), QKeySequence(Qt::Key_F8));
    // A key reaches a shortcut of the active window only.
    t.j()->show();
    t.j()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(t.j()));
    QTest::keyClick(t.j()->DBGrid2, Qt::Key_F8);
    QCOMPARE(before.rows, QStringList());
    QVERIFY(before.sinceShown);
    QCOMPARE(before.since,
             QStringLiteral("История записей ведется с %1: что было с записью раньше, не "
                            "записано.")
                 .arg(since));
    // A change now is listed above the note (the editor writes the date of entry anew).
    const QString entered = t.scalar(
        QStringLiteral("select to_char(vvod, 'DD.MM.YYYY HH24:MI:SS') from accounts_dep.smena "
                       "where id = %1")
            .arg(id));
    t.change([&](TForm11 *w) {
        w->Edit6->setText(QStringLiteral("7"));
        w->Button1->click();
    });
    after = t.fromMenu(id);
    QCOMPARE(after.rows,
             QStringList {QStringLiteral("senior | Запись изменена | Часы: 8 → 7; Заведена: %1 → "
                                         "10.12.2026 00:00:00")
                              .arg(entered)});
    QVERIFY(after.sinceShown);
    t.verifyClean();
}

void TestJournalHistory::nobodyChangesHistory_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("refusal");
    const QString denied = QStringLiteral("permission denied for table smena_history");
    const QString frozen = QStringLiteral("История записей журнала не изменяется и не удаляется");
    const QString update = QStringLiteral("update accounts_dep.smena_history set s_login = 'x'");
    const QString remove = QStringLiteral("delete from accounts_dep.smena_history");
    const QString add = QStringLiteral("insert into accounts_dep.smena_history (id_smena, "
                                       "s_what, s_kind) values (1, 'smena', 'insert')");
    QTest::newRow("clerk changes") << "clerk" << update << denied;
    QTest::newRow("clerk deletes") << "clerk" << remove << denied;
    QTest::newRow("clerk adds") << "clerk" << add << denied;
    QTest::newRow("approver deletes") << "approverone" << remove << denied;
    QTest::newRow("view-only deletes") << "plonta" << remove << denied;
    QTest::newRow("owner changes") << "tabel_admin" << update << frozen;
    QTest::newRow("owner deletes") << "tabel_admin" << remove << frozen;
    QTest::newRow("owner truncates")
        << "tabel_admin" << QStringLiteral("truncate accounts_dep.smena_history") << frozen;
}

void TestJournalHistory::nobodyChangesHistory()
{
    QFETCH(QString, login);
    QFETCH(QString, sql);
    QFETCH(QString, refusal);
    testing::TestDatabase db(testing::TestDatabase::From::Demo);
    db.exec(QStringLiteral("update accounts_dep.smena set time = 5 where id = (select min(id) "
                           "from accounts_dep.smena where ok = 'no')"));
    const QString before = db.scalar(QStringLiteral(
        "select string_agg(concat_ws(',', id, id_smena, s_login, s_kind, j_old, j_new), ';') "
        "from accounts_dep.smena_history"));
    QVERIFY(before.contains(QStringLiteral(",tabel_admin,update,")));
    const auto [code, error] = psqlAs(db, login, sql);
    QVERIFY(code != 0);
    QVERIFY2(error.contains(refusal), qPrintable(error));
    QCOMPARE(db.scalar(QStringLiteral(
                 "select string_agg(concat_ws(',', id, id_smena, s_login, s_kind, j_old, j_new), "
                 "';') from accounts_dep.smena_history")),
             before);
    // Every login reads it, the view-only one too.
    const auto [readCode, readError]
        = psqlAs(db, QStringLiteral("plonta"),
                 QStringLiteral("select count(*) from accounts_dep.smena_history_lines(1)"));
    QVERIFY2(readCode == 0, qPrintable(readError));
}

QTEST_MAIN(TestJournalHistory)
#include "tst_journal_history.moc"
