// The process list's "Excel": the older catalogue's operations with their prices and their
// process in a workbook, read back with a reader that is not ours, its columns fitted and its
// place told in the window; a folder that cannot be written leaves no file.

#include "support/proc_fixture.h"
#include "support/xlsx_reader.h"

#include <QDir>
#include <QLabel>
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
    void savedFileTold();
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

    const QStringList header {"Марка", "Операция", "Цена", "Вид", "№ ТП", "Техпроцесс"};
    for (int c = 0; c < header.size(); ++c)
        QCOMPARE(cellText(book, QString(QChar(u'A' + c)) + "1"), header[c]);

    // Every operation of the older catalogue, one row each, with its process: the operations of
    // one process together under their item.
    const QStringList expected
        = t.scalar("select string_agg(i.marka || '|' || v.vid || '|' || o.cena::text || '|' || "
                   "case when o.naimen = 0 then 'Готовая продукция' else 'Заготовки' end || '|' "
                   "|| coalesce(pt.id::text, '') || '|' || coalesce(pt.s_caption, ''), "
                   "E'\\n' order by i.marka, pt.id, v.vid, o.naimen, o.id) "
                   "from accounts_dep.oper o join mnf_operation.operation op on op.id = o.id "
                   "left join mnf_proc_tech.proc_tech pt on pt.id = op.id_proc_tech, "
                   "accounts_dep.inventory_items i, accounts_dep.vid_oper v "
                   "where o.i_id = i.id and o.vid = v.id")
              .split(u'\n');
    QVERIFY(expected.size() > 3);
    QVERIFY(!book.has(QStringLiteral("A%1").arg(expected.size() + 2)));
    bool sawPrice = false, sawMark = false;
    QSet<QString> lines;
    for (int i = 0; i < expected.size(); ++i) {
        const QStringList want = expected.at(i).split(u'|');
        const int row = i + 2;
        QCOMPARE(cellText(book, QStringLiteral("A%1").arg(row)).trimmed(), want.at(0).trimmed());
        QCOMPARE(cellText(book, QStringLiteral("B%1").arg(row)).trimmed(), want.at(1).trimmed());
        const xlsxtest::ReadCell price = book.cell(QStringLiteral("C%1").arg(row));
        QCOMPARE(price.type, QStringLiteral("n")); // a number, not a text
        QCOMPARE(price.value.toDouble(), want.at(2).toDouble());
        QCOMPARE(cellText(book, QStringLiteral("D%1").arg(row)), want.at(3));
        QCOMPARE(cellText(book, QStringLiteral("E%1").arg(row)), want.at(4));
        QCOMPARE(cellText(book, QStringLiteral("F%1").arg(row)), want.at(5).trimmed());
        sawPrice = sawPrice || want.at(2) == QLatin1String("1234.5678");
        sawMark = sawMark || want.at(0).startsWith(QStringLiteral("Д'Арт-1"));
        QStringList line;
        for (const QChar column : QStringLiteral("ABCDEF"))
            line << cellText(book, column + QString::number(row));
        lines.insert(line.join(u'|'));
    }
    QVERIFY(sawPrice);
    QVERIFY(sawMark);
    // The demo's parts made for two processes at one price no longer read as one line.
    QCOMPARE(lines.size(), expected.size());
    const QString unfitted = xlsxtest::unfittedColumns(book);
    QVERIFY2(unfitted.isEmpty(), qPrintable(unfitted));
    QVERIFY(!forms().processes->XLS_Rep.isOpen());
}

// With no spreadsheet program to open the file the list still says where it is, and shows its
// folder on request.
void TestProcExport::savedFileTold()
{
    Program t;
    t.in();
    dataModule().showHiddenCommands = true;
    t.p.seams.spreadsheets.canOpen = false;
    const QString file = exportFromList(t);
    QVERIFY(QFileInfo::exists(file));
    QCOMPARE(t.messages().errors().size(), 1); // the file could not be opened
    TForm4 *w = forms().processes;
    QVERIFY(w->NoteExport->isVisibleTo(w));
    QCOMPARE(w->NoteExport->LabelSaved->text(),
             QStringLiteral("Сохранено: ") + QDir::toNativeSeparators(file));
    QTest::mouseClick(w->NoteExport->ButtonFolder, Qt::LeftButton);
    QCOMPARE(t.p.seams.spreadsheets.openedFolders(), QStringList {QFileInfo(file).absolutePath()});
    // No file manager either: the box says so, the note stays.
    QCOMPARE(t.messages().errors().size(), 2);
    QVERIFY(t.messages().errors().last().contains(
        QDir::toNativeSeparators(QFileInfo(file).absolutePath())));
    QVERIFY(w->NoteExport->isVisibleTo(w));
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
