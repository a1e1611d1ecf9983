// The grid model over a dataset's visible rows: texts, alignment, titles, and the signals that
// follow sorting, filtering, editing and closing.

#include "db/connection.h"
#include "db/dataset_model.h"
#include "support/test_db.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace db;

class TestDbModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void followsDataset()
    {
        testing::TestDatabase tdb;
        tdb.exec(QStringLiteral(
            "create table t (id serial primary key, fio text, cena numeric(15,4), d date,"
            " ts timestamp);"
            "insert into t (fio, cena, d, ts) values"
            " ('Петров', 12.5, '2024-03-05', '2024-03-05 08:09:10'),"
            " ('Андреев', 0.1, null, null), ('Сидоров', null, '2023-12-31', null);"));
        Connection c;
        c.open(tdb.connectionString());
        Dataset ds(&c);
        ds.setTable(QStringLiteral("t"));

        DatasetModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setDataset(&ds);
        model.setColumns(
            {{QStringLiteral("fio"), QStringLiteral("Фамилия И.О.")},
             {QStringLiteral("cena"), QStringLiteral("Цена"), Qt::AlignRight | Qt::AlignVCenter},
             {QStringLiteral("d"), QStringLiteral("Дата"), Qt::AlignCenter},
             {QStringLiteral("ts"), QStringLiteral("Введено")},
             {QStringLiteral("absent"), QStringLiteral("Нет поля"), Qt::AlignLeft, false}});
        QCOMPARE(model.rowCount(), 0); // closed
        QCOMPARE(model.columnCount(), 5);

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        ds.open();
        QVERIFY(resets.count() >= 1);
        QCOMPARE(model.rowCount(), 3);
        auto text
            = [&](int row, int column) { return model.data(model.index(row, column)).toString(); };
        QCOMPARE(text(0, 0), QStringLiteral("Петров"));
        QCOMPARE(text(0, 1), QStringLiteral("12,5"));
        QCOMPARE(text(1, 1), QStringLiteral("0,1"));
        QCOMPARE(text(2, 1), QString());
        QCOMPARE(text(0, 2), QStringLiteral("05.03.2024"));
        QCOMPARE(text(1, 2), QString());
        QCOMPARE(text(0, 3), QStringLiteral("05.03.2024 08:09:10"));
        QCOMPARE(text(0, 4), QString());
        QCOMPARE(model.data(model.index(0, 1), Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Фамилия И.О."));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Дата"));

        resets.clear();
        ds.setSort(QStringLiteral("fio"));
        QVERIFY(resets.count() >= 1);
        QCOMPARE(text(0, 0), QStringLiteral("Андреев"));
        ds.setFilter(QStringLiteral("fio like 'с%'"));
        ds.setFiltered(true);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(text(0, 0), QStringLiteral("Сидоров"));

        // Typing into a row shows at once and reaches the views as a change of that row.
        ds.edit();
        ds.setValue(QStringLiteral("cena"), QStringLiteral("3,75"));
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first().at(0).value<QModelIndex>().row(), 0);
        QCOMPARE(text(0, 1), QStringLiteral("3,75"));
        ds.post();
        QCOMPARE(text(0, 1), QStringLiteral("3,75"));
        QCOMPARE(tdb.scalar(QStringLiteral("select cena::text from t where fio = 'Сидоров'")),
                 QStringLiteral("3.7500"));

        ds.setFiltered(false);
        ds.setRecNo(1);
        ds.remove();
        QCOMPARE(model.rowCount(), 2);
        ds.close();
        QCOMPARE(model.rowCount(), 0);
    }

    void datasetGoesAway()
    {
        DatasetModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({{QStringLiteral("x"), QStringLiteral("Икс")}});
        {
            Dataset ds;
            model.setDataset(&ds);
            QCOMPARE(model.dataset(), &ds);
        }
        QCOMPARE(model.dataset(), nullptr);
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDbModel)
#include "tst_db_model.moc"
