// The process list's "Excel": the older catalogue's operations with their prices in a workbook,
// read back with a reader that is not ours; a folder that cannot be written leaves no file.

#include "tst_proc_fixture.h"
#include "tst_xlsx_reader.h"

#include <QTemporaryDir>

using namespace proctest;

namespace {

// "Excel" pressed in the list opened from the menu; the saved file, "" when none was saved.
QString exportFromList(Program &t, bool *buttonShown = nullptr)
{
    const qsizetype before = t.p.seams.spreadsheets.opened().size();
    fromMenu(t, [&](TForm4 *w) {
        if (buttonShown)
            *buttonShown = w->Button5->isVisible();
        w->Button5->click();
    });
    const QStringList opened = t.p.seams.spreadsheets.opened();
    return opened.size() > before ? opened.last() : QString();
}

QString cellText(const xlsxtest::Workbook &book, const QString &ref)
{
    return book.cell(ref).value.toString();
}

} // namespace

class TestProcExport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void operationsWithPrices();
    void folderNotWritable();
};

void TestProcExport::operationsWithPrices()
{
    Program t;
    t.in();
    dataModule().showHiddenCommands = true;
    // A price with every place of its column, and a mark with an apostrophe.
    t.p.db.exec("update cmn_inventory_items.inventory_items set marka = 'Д''Арт-1' where id = 203");
    t.p.db.exec("update mnf_operation.operation set price = 1234.5678 where id = 14");
    bool shown = false;
    const QString file = exportFromList(t, &shown);
    QVERIFY(shown);
    QVERIFY(t.messages().shown().isEmpty());
    QVERIFY(!file.isEmpty());
    const xlsxtest::Workbook book = xlsxtest::read(file);
    QVERIFY2(book.ok, qPrintable(book.error));

    QCOMPARE(cellText(book, "A1"), QStringLiteral("Марка"));
    QCOMPARE(cellText(book, "B1"), QStringLiteral("Операция"));
    QCOMPARE(cellText(book, "C1"), QStringLiteral("Цена"));
    QCOMPARE(cellText(book, "D1"), QStringLiteral("Вид"));

    // Every operation of the older catalogue, one row each, in the database's own order.
    const QStringList expected
        = t.scalar("select string_agg(i.marka || '|' || v.vid || '|' || o.cena::text || '|' || "
                   "case when o.naimen = 0 then 'Готовая продукция' else 'Заготовки' end, "
                   "E'\\n' order by i.marka, v.vid, o.naimen) "
                   "from accounts_dep.oper o, accounts_dep.inventory_items i, "
                   "accounts_dep.vid_oper v where o.i_id = i.id and o.vid = v.id")
              .split(u'\n');
    QVERIFY(expected.size() > 3);
    QVERIFY(!book.has(QStringLiteral("A%1").arg(expected.size() + 2)));
    bool sawPrice = false, sawMark = false;
    for (int i = 0; i < expected.size(); ++i) {
        const QStringList want = expected.at(i).split(u'|');
        const int row = i + 2;
        QCOMPARE(cellText(book, QStringLiteral("A%1").arg(row)).trimmed(), want.at(0).trimmed());
        QCOMPARE(cellText(book, QStringLiteral("B%1").arg(row)).trimmed(), want.at(1).trimmed());
        const xlsxtest::ReadCell price = book.cell(QStringLiteral("C%1").arg(row));
        QCOMPARE(price.type, QStringLiteral("n")); // a number, not a text
        QCOMPARE(price.value.toDouble(), want.at(2).toDouble());
        QCOMPARE(cellText(book, QStringLiteral("D%1").arg(row)), want.at(3));
        sawPrice = sawPrice || want.at(2) == QLatin1String("1234.5678");
        sawMark = sawMark || want.at(0).startsWith(QStringLiteral("Д'Арт-1"));
    }
    QVERIFY(sawPrice);
    QVERIFY(sawMark);
    QVERIFY(!forms().processes->XLS_Rep.isOpen());
}

void TestProcExport::folderNotWritable()
{
    Program t;
    t.in();
    dataModule().showHiddenCommands = true;
    // A folder that cannot be made: a file stands in its way.
    QTemporaryDir dir;
    QFile blocker(dir.filePath("Tabel"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    t.p.seams.spreadsheets.setFolder(dir.filePath("Tabel/sub"));
    QVERIFY(exportFromList(t).isEmpty());
    QCOMPARE(t.messages().errors().size(), 1);
    QVERIFY(t.messages().errors().first().contains(QStringLiteral("Tabel/sub")));
    QVERIFY(!forms().processes->XLS_Rep.isOpen());
    // The list goes on working.
    t.messages().clear();
    t.p.seams.spreadsheets.setFolder(dir.filePath("ok"));
    QVERIFY(!exportFromList(t).isEmpty());
    QVERIFY(t.messages().shown().isEmpty());
}

QTEST_MAIN(TestProcExport)
#include "tst_proc_export.moc"
