// Client-side sort and filter of an open dataset: the journal's sort texts, prefix filters with
// Cyrillic, record numbers, bookmarks and locate across both.

#include "db/connection.h"
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/sort_filter.h"
#include "support/test_db.h"

#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace db;

class TestDbSortFilter : public QObject
{
    Q_OBJECT
    std::unique_ptr<testing::TestDatabase> m_db;
    std::unique_ptr<Connection> m_conn;
    std::unique_ptr<Dataset> m_ds;

    // The ids of the visible rows in their order.
    static QString idsOf(const Dataset &ds)
    {
        QStringList out;
        for (int r = 0; r < ds.recordCount(); ++r)
            out << ds.valueAt(r, ds.fieldIndex(QStringLiteral("id"))).toString();
        return out.join(u',');
    }
    QString ids() const { return idsOf(*m_ds); }

private Q_SLOTS:
    void initTestCase()
    {
        m_db = std::make_unique<testing::TestDatabase>();
        // The journal's field names; rows chosen so that every key of the sort texts matters.
        m_db->exec(QStringLiteral(
            "create table j (id int, fio text, marka text, vid text, naimen int, kol_vo int,"
            " summa numeric(12,2), ok text, vvod date, id_doc int);"
            "insert into j values"
            " (1, 'Иванов И.И.', 'М-2', 'Сверловка', 0, 10, 100.50, 'ok', '2024-03-02', 7),"
            " (2, 'Петров П.П.', 'М-1', 'Резка',     1, 5,  20.00,  'no', '2024-03-01', 7),"
            " (3, 'иванов а.а.', 'М-1', 'Сверловка', 0, 10, null,   'да', '2024-03-01', null),"
            " (4, 'Ёлкин Е.Е.',  'М-2', 'Резка',     1, 7,  70.00,  'no', null,         8),"
            " (5, 'Абрамов А.А.', 'М-1', 'Резка',    0, 5,  20.00,  'ok', '2024-03-03', 9),"
            " (6, 'Елисеев Е.Е.', 'М-2', 'Сверловка', 1, 3, 15.25,  null, '2024-03-02', 8),"
            " (7, 'Smith J.',    'M-3', 'Резка',     0, 1,  1.00,   'no', '2024-03-01', 9),"
            " (8, 'Жуков Ж.Ж.',  'М-1', 'Сверловка', 1, 12, 100.50, 'ok', '2024-03-04', 100);"));
        m_conn = std::make_unique<Connection>();
        m_conn->open(m_db->connectionString());
    }
    void init()
    {
        m_ds = std::make_unique<Dataset>(m_conn.get());
        m_ds->setSql(QStringLiteral("select * from j order by id"));
        m_ds->open();
    }
    void cleanupTestCase()
    {
        m_ds.reset();
        m_conn.reset();
        m_db.reset();
    }

    void sortTexts_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("order");
        // Text keys follow the layer's rule: case ignored, "Ё" between "Е" and "Ж", Latin
        // before Cyrillic; NULLs first ascending and last descending; equal keys keep the
        // server order.
        QTest::newRow("fio asc") << "fio, id ASC"
                                 << "7,5,6,4,8,3,1,2";
        QTest::newRow("fio desc") << "fio DESC, id ASC"
                                  << "2,1,3,8,4,6,5,7";
        QTest::newRow("marka asc") << "marka, fio, id ASC"
                                   << "7,5,8,3,2,6,4,1";
        QTest::newRow("marka desc") << "marka DESC, fio, id ASC"
                                    << "6,4,1,5,8,3,2,7";
        QTest::newRow("vid two blanks") << "vid, marka, fio, id  ASC"
                                        << "7,5,2,4,8,3,6,1";
        QTest::newRow("vid desc") << "vid DESC, marka, fio, id ASC"
                                  << "8,3,6,1,7,5,2,4";
        QTest::newRow("naimen") << "naimen, marka, fio, id ASC"
                                << "7,5,3,1,8,2,6,4";
        QTest::newRow("naimen desc") << "naimen DESC, marka, fio, id ASC"
                                     << "8,2,6,4,7,5,3,1";
        QTest::newRow("kol_vo") << "kol_vo, marka, fio, id ASC"
                                << "7,6,5,2,4,3,1,8";
        QTest::newRow("kol_vo desc") << "kol_vo DESC, marka, fio, id ASC"
                                     << "8,3,1,4,5,2,6,7";
        QTest::newRow("summa") << "summa, marka, fio, id ASC"
                               << "3,7,6,5,2,4,8,1";
        QTest::newRow("summa desc") << "summa DESC, marka, fio, id ASC"
                                    << "8,1,4,5,2,6,7,3";
        QTest::newRow("ok") << "ok, marka, fio, id ASC"
                            << "6,7,2,4,5,8,1,3";
        QTest::newRow("ok desc") << "ok DESC, marka, fio, id ASC"
                                 << "3,5,8,1,7,2,4,6";
        QTest::newRow("vvod") << "vvod, marka, fio, id ASC"
                              << "4,7,3,2,6,1,5,8";
        QTest::newRow("vvod desc") << "vvod DESC, marka, fio, id ASC"
                                   << "8,5,6,1,7,3,2,4";
        QTest::newRow("id_doc") << "id_doc, marka, fio, id ASC"
                                << "3,2,1,6,4,7,5,8";
        QTest::newRow("id_doc desc") << "id_doc DESC, marka, fio, id ASC"
                                     << "8,7,5,6,4,2,1,3";
        // More keys than fit side by side in one number.
        QTest::newRow("many keys")
            << "marka, " + QStringList(15, QStringLiteral("fio")).join(u',') + ", id DESC"
            << "7,5,8,3,2,6,4,1";
        QTest::newRow("keywords any case") << "NAIMEN desc, Marka asc, ID Desc"
                                           << "8,2,6,4,7,5,3,1";
        QTest::newRow("empty is server order") << ""
                                               << "1,2,3,4,5,6,7,8";
    }
    void sortTexts()
    {
        QFETCH(QString, sort);
        QFETCH(QString, order);
        m_ds->setSort(sort);
        QCOMPARE(m_ds->sort(), sort);
        QCOMPARE(ids(), order);
    }

    // Texts equal under the rule (case, char(n) padding) are one key: a sort keeps their server
    // order, whichever way it runs.
    void equalTextsKeepServerOrder_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("order");
        QTest::newRow("text") << "t"
                              << "4,3,1,2,6,8,5,7";
        QTest::newRow("text desc") << "t DESC"
                                   << "7,5,6,8,1,2,3,4";
        QTest::newRow("char(n)") << "c"
                                 << "7,6,1,2,4,5,8,3";
        QTest::newRow("char(n) desc") << "c DESC"
                                      << "3,1,2,4,5,8,6,7";
        // Long common beginnings, and letters beyond the Russian and English ones.
        QTest::newRow("beginnings") << "u"
                                    << "8,7,4,5,3,6,1,2";
        QTest::newRow("beginnings desc") << "u DESC"
                                         << "2,1,6,3,4,5,7,8";
    }
    void equalTextsKeepServerOrder()
    {
        QFETCH(QString, sort);
        QFETCH(QString, order);
        m_db->exec(QStringLiteral(
            "create table if not exists k (id int, t text, c char(4), u text);"
            "delete from k;"
            "insert into k values (1, 'б', 'ab', '가b'), (2, 'Б', 'AB', '갸a'),"
            " (3, 'а', 'b', 'Иванова'), (4, null, 'ab  ', 'Иванов'), (5, 'ё', 'Ab', 'иванов'),"
            " (6, 'Е', 'a', '가'), (7, 'ж', null, 'Ива'), (8, 'е', 'ab', 'ab');"));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select * from k order by id"));
        ds.open();
        ds.setSort(sort);
        QCOMPARE(idsOf(ds), order);
    }

    // A sort after a row is changed or added places it by its new text.
    void sortFollowsWrittenRows()
    {
        m_db->exec(QStringLiteral(
            "create table w (id int primary key, fio text);"
            "insert into w values (1, 'Борисов'), (2, 'Андреев'), (3, 'Васильев');"));
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select * from w order by id"));
        ds.setTable(QStringLiteral("w"));
        ds.open();
        const auto order = [&ds] { return idsOf(ds); };
        ds.setSort(QStringLiteral("fio"));
        QCOMPARE(order(), QStringLiteral("2,1,3"));
        QVERIFY(ds.locate(QStringLiteral("id"), 2));
        ds.edit();
        ds.setValue(QStringLiteral("fio"), QStringLiteral("Яковлев"));
        ds.post();
        QCOMPARE(order(), QStringLiteral("1,3,2"));
        ds.append();
        ds.setValue(QStringLiteral("id"), 4);
        ds.setValue(QStringLiteral("fio"), QStringLiteral("Гусев"));
        ds.post();
        QCOMPARE(order(), QStringLiteral("1,3,4,2"));
        ds.setSort(QString());
        ds.setSort(QStringLiteral("fio DESC"));
        QCOMPARE(order(), QStringLiteral("2,4,3,1"));
    }

    void badSortChangesNothing_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing field") << "vid_oper, id"
                                       << "Поле «vid_oper» не найдено";
        QTest::newRow("s_caption_color") << "s_caption_color DESC"
                                         << "Поле «s_caption_color» не найдено";
        QTest::newRow("bad direction") << "fio UP"
                                       << "Неверный текст сортировки: «fio UP»";
        QTest::newRow("empty key") << "fio,,id"
                                   << "Неверный текст сортировки: «fio,,id»";
        QTest::newRow("three words") << "fio asc desc"
                                     << "Неверный текст сортировки: «fio asc desc»";
    }
    void badSortChangesNothing()
    {
        QFETCH(QString, sort);
        QFETCH(QString, error);
        m_ds->setSort(QStringLiteral("kol_vo DESC, id"));
        m_ds->setRecNo(3);
        const QString before = ids();
        try {
            m_ds->setSort(sort);
            QFAIL("accepted");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), error);
        }
        QCOMPARE(m_ds->sort(), QStringLiteral("kol_vo DESC, id"));
        QCOMPARE(ids(), before);
        QCOMPARE(m_ds->recNo(), 3);
    }

    void sortOnClosedDataset()
    {
        m_ds->close();
        try {
            m_ds->setSort(QStringLiteral("fio"));
            QFAIL("accepted");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), QStringLiteral("Набор данных закрыт"));
        }
        QCOMPARE(m_ds->recordCount(), 0);
    }

    void filterTexts_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("visible");
        // `like` ignores case for Cyrillic and Latin alike.
        QTest::newRow("prefix") << "fio like 'Ив%'"
                                << "1,3";
        QTest::newRow("prefix lower") << "fio like 'ив%'"
                                      << "1,3";
        QTest::newRow("prefix upper") << "fio like 'ИВАНОВ И%'"
                                      << "1";
        QTest::newRow("yo is its own letter") << "fio like 'е%'"
                                              << "6";
        QTest::newRow("yo prefix") << "fio like 'Ё%'"
                                   << "4";
        QTest::newRow("latin") << "fio like 'SM%'"
                               << "7";
        QTest::newRow("inner wildcard") << "fio like '%ов _._.'"
                                        << "1,2,3,5,8";
        QTest::newRow("keyword case") << "fio LIKE 'п%'"
                                      << "2";
        QTest::newRow("number") << "id_doc=7"
                                << "1,2";
        QTest::newRow("number blanks") << "id_doc = 8"
                                       << "4,6";
        QTest::newRow("naimen") << "naimen=0"
                                << "1,3,5,7";
        QTest::newRow("decimal") << "summa=100.5"
                                 << "1,8";
        QTest::newRow("text") << "ok='no'"
                              << "2,4,7";
        QTest::newRow("text ignores case") << "ok='OK'"
                                           << "1,5,8";
        QTest::newRow("cyrillic text") << "vid='Резка'"
                                       << "2,4,5,7";
        QTest::newRow("not equal skips null") << "ok<>'no'"
                                              << "1,3,5,8";
        QTest::newRow("and") << "vid='Резка' and naimen=1"
                             << "2,4";
        QTest::newRow("AND any case") << "naimen=0 AND fio like 'и%' aNd kol_vo=10"
                                      << "1,3";
        QTest::newRow("greater") << "kol_vo>7"
                                 << "1,3,8";
        QTest::newRow("date") << "vvod='01.03.2024'"
                              << "2,3,7";
        QTest::newRow("is null") << "ok is null"
                                 << "6";
        QTest::newRow("empty") << ""
                               << "1,2,3,4,5,6,7,8";
    }
    void filterTexts()
    {
        QFETCH(QString, filter);
        QFETCH(QString, visible);
        m_ds->setFilter(filter);
        QCOMPARE(ids(), QStringLiteral("1,2,3,4,5,6,7,8")); // not applied until filtered
        m_ds->setFiltered(true);
        QCOMPARE(ids(), visible);
        m_ds->setFiltered(false);
        QCOMPARE(m_ds->recordCount(), 8);
    }

    void badFilterChangesNothing_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("error");
        QTest::newRow("missing field") << "vid_oper='x'"
                                       << "Поле «vid_oper» не найдено";
        QTest::newRow("open quote") << "fio like 'Ив%"
                                    << "Неверный текст фильтра: «fio like 'Ив%»";
        QTest::newRow("no value") << "id_doc="
                                  << "Неверный текст фильтра: «id_doc=»";
        QTest::newRow("or") << "id=1 or id=2"
                            << "Неверный текст фильтра: «id=1 or id=2»";
        QTest::newRow("dangling and") << "id=1 and"
                                      << "Неверный текст фильтра: «id=1 and»";
        QTest::newRow("text for number") << "id_doc='семь'"
                                         << "Неверное значение в фильтре поля «id_doc»: "
                                            "«семь» не является числом";
    }
    void badFilterChangesNothing()
    {
        QFETCH(QString, filter);
        QFETCH(QString, error);
        m_ds->setFilter(QStringLiteral("naimen=1"));
        m_ds->setFiltered(true);
        try {
            m_ds->setFilter(filter);
            QFAIL("accepted");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), error);
        }
        QCOMPARE(m_ds->filter(), QStringLiteral("naimen=1"));
        QCOMPARE(ids(), QStringLiteral("2,4,6,8"));
    }

    // What the user typed is matched literally, whatever quotes or wildcards it holds.
    void typedPrefix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("visible");
        QTest::newRow("quote") << "O'"
                               << "1";
        QTest::newRow("percent") << "50%"
                                 << "2";
        QTest::newRow("underscore") << "a_"
                                    << "3";
        QTest::newRow("backslash") << "c:\\"
                                   << "5";
        QTest::newRow("plain cyrillic") << "ёж"
                                        << "6";
        QTest::newRow("nothing typed") << ""
                                       << "1,2,3,4,5,6";
    }
    void typedPrefix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, visible);
        Dataset ds(m_conn.get());
        ds.setSql(QStringLiteral("select * from (values (1, 'O''Brien'), (2, '50% скидка'),"
                                 " (3, 'a_b'), (4, 'axb'), (5, 'c:\\dir'), (6, 'Ёжиков'))"
                                 " v(id, name) order by id"));
        ds.open();
        ds.setFilter(likePrefixFilter(QStringLiteral("name"), typed));
        ds.setFiltered(true);
        QStringList out;
        for (int r = 0; r < ds.recordCount(); ++r)
            out << QString::number(ds.bookmarkAt(r) + 1);
        QCOMPARE(out.join(u','), visible);
    }

    void filterKeptAcrossReopen()
    {
        m_ds->setFilter(QStringLiteral("naimen=0"));
        m_ds->setFiltered(true);
        m_ds->setSort(QStringLiteral("fio"));
        m_ds->close();
        m_ds->open();
        QCOMPARE(ids(), QStringLiteral("1,3,5,7"));
        QCOMPARE(m_ds->sort(), QString()); // a reopened dataset is in server order
        m_ds->close();
        m_ds->setFilter(QStringLiteral("nope=1")); // checked when it opens
        QVERIFY_THROWS_EXCEPTION(DbError, m_ds->open());
        QVERIFY(!m_ds->isOpen());
    }

    void recordNumbersAndBookmarks()
    {
        QSignalSpy resets(m_ds.get(), &Dataset::reset);
        QCOMPARE(m_ds->recNo(), 1);
        m_ds->setRecNo(4);
        QCOMPARE(m_ds->asInteger(QStringLiteral("id")), 4);
        const Dataset::Bookmark yolkin = m_ds->bookmark();
        m_ds->setRecNo(8);
        const Dataset::Bookmark zhukov = m_ds->bookmark();

        m_ds->setSort(QStringLiteral("fio DESC"));
        QCOMPARE(resets.count(), 1);
        // The current row stays current; its number is its place in the new order.
        QCOMPARE(m_ds->asInteger(QStringLiteral("id")), 8);
        QCOMPARE(m_ds->recNo(), 4);
        QCOMPARE(m_ds->visibleRowOf(yolkin), 4);
        m_ds->gotoBookmark(yolkin);
        QCOMPARE(m_ds->recNo(), 5);
        QCOMPARE(m_ds->asString(QStringLiteral("fio")), QStringLiteral("Ёлкин Е.Е."));

        m_ds->setFilter(QStringLiteral("naimen=1"));
        m_ds->setFiltered(true);
        QCOMPARE(m_ds->recordCount(), 4);
        QCOMPARE(ids(), QStringLiteral("2,8,4,6"));
        QCOMPARE(m_ds->recNo(), 3);
        QVERIFY(m_ds->bookmarkValid(zhukov));
        m_ds->setRecNo(1);
        QCOMPARE(m_ds->asInteger(QStringLiteral("id")), 2);

        m_ds->setFilter(QStringLiteral("naimen=0"));
        QVERIFY(!m_ds->bookmarkValid(yolkin));
        QCOMPARE(m_ds->visibleRowOf(yolkin), -1);
        try {
            m_ds->gotoBookmark(yolkin);
            QFAIL("went to a hidden row");
        } catch (const DbError &e) {
            QCOMPARE(e.text(), QStringLiteral("Запись не найдена"));
        }
        m_ds->setFiltered(false);
        QVERIFY(m_ds->bookmarkValid(yolkin));
        m_ds->gotoBookmark(yolkin);
        QCOMPARE(m_ds->asInteger(QStringLiteral("id")), 4);
        m_ds->close();
        QVERIFY(!m_ds->bookmarkValid(yolkin));
    }

    void navigation()
    {
        m_ds->setFilter(QStringLiteral("vid='Резка'"));
        m_ds->setFiltered(true);
        QStringList seen;
        for (m_ds->first(); !m_ds->eof(); m_ds->next())
            seen << QString::number(m_ds->recNo()) + u':' + m_ds->asString(QStringLiteral("id"));
        QCOMPARE(seen.join(u' '), QStringLiteral("1:2 2:4 3:5 4:7"));
        QCOMPARE(m_ds->recNo(), 4); // next() past the end stays on the last row
        m_ds->last();
        QVERIFY(!m_ds->eof());
        m_ds->prior();
        QCOMPARE(m_ds->recNo(), 3);
        m_ds->setRecNo(99);
        QCOMPARE(m_ds->recNo(), 4);
        m_ds->setRecNo(-3);
        QCOMPARE(m_ds->recNo(), 1);
        m_ds->prior();
        QVERIFY(m_ds->bof());
        m_ds->setFilter(QStringLiteral("id=100"));
        QVERIFY(m_ds->isEmpty());
        QCOMPARE(m_ds->recNo(), 0);
        QVERIFY(m_ds->eof() && m_ds->bof());
        QVERIFY(m_ds->isNull(QStringLiteral("fio")));
        QCOMPARE(m_ds->bookmark(), -1);
    }

    void locate_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<int>("id"); // 0: not found
        QTest::newRow("number") << "id_doc" << QVariant(8) << false << 6;
        QTest::newRow("number as text") << "kol_vo" << QVariant(QStringLiteral("12")) << false << 8;
        QTest::newRow("text exact")
            << "fio" << QVariant(QStringLiteral("Жуков Ж.Ж.")) << false << 8;
        QTest::newRow("text case differs")
            << "fio" << QVariant(QStringLiteral("ЖУКОВ Ж.Ж.")) << false << 0;
        QTest::newRow("text case ignored")
            << "fio" << QVariant(QStringLiteral("ЖУКОВ ж.ж.")) << true << 8;
        QTest::newRow("date") << "vvod" << QVariant(QDate(2024, 3, 3)) << false << 5;
        QTest::newRow("decimal") << "summa" << QVariant(15.25) << false << 6;
        QTest::newRow("absent") << "id" << QVariant(42) << false << 0;
        QTest::newRow("not a number") << "id" << QVariant(QStringLiteral("x")) << false << 0;
    }
    void locate()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(bool, caseInsensitive);
        QFETCH(int, id);
        m_ds->setSort(QStringLiteral("fio"));
        m_ds->setRecNo(2);
        const bool found = m_ds->locate(field, value, caseInsensitive);
        QCOMPARE(found, id != 0);
        if (found)
            QCOMPARE(m_ds->asInteger(QStringLiteral("id")), id);
        else
            QCOMPARE(m_ds->recNo(), 2);
    }

    void locateOnlyVisible()
    {
        m_ds->setFilter(QStringLiteral("naimen=0"));
        m_ds->setFiltered(true);
        QVERIFY(!m_ds->locate(QStringLiteral("id"), 8));
        QVERIFY(m_ds->locate(QStringLiteral("id"), 7));
        QCOMPARE(m_ds->recNo(), 4);
        QVERIFY_THROWS_EXCEPTION(DbError, m_ds->locate(QStringLiteral("nope"), 1));
    }
};

QTEST_GUILESS_MAIN(TestDbSortFilter)
#include "tst_db_sort_filter.moc"
