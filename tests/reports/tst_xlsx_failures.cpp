// Saving and opening through the spreadsheet link, and what the user is told when a write, the
// save or the opening fails: the messages name the cell or the file, and nothing half-written
// is left behind.

#include "reports/xlsx/excel_link.h"
#include "tests/support/fake_seams.h"
#include "support/xlsx_reader.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using reports::ExcelLink;

namespace {

const QString kStamp = QStringLiteral("2021-03-15 09-30-05");

} // namespace

class TestXlsxFailures : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void writeFailures_data();
    void writeFailures();
    void limitsAccepted();
    void writeBeforeOpen();
    void existingFileRefused();
    void unwritableFolder_data();
    void unwritableFolder();
    void diskFull();
    void noApplication();
    void neverOverwrites();
    void savedOnceUntilChanged();
    void newOpenDropsUnsaved();
    void titleMadeSafe_data();
    void titleMadeSafe();
    void documentsFolderOutsideTests();

private:
    QString folder() { return m_seams->spreadsheets.folder(); }
    QString expected(const QString &name) { return QDir(folder()).filePath(name); }

    std::unique_ptr<testing::SeamsFixture> m_seams;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestXlsxFailures::init()
{
    m_seams = std::make_unique<testing::SeamsFixture>();
    m_seams->setNow(QDateTime(QDate(2021, 3, 15), QTime(9, 30, 5)));
    m_dir = std::make_unique<QTemporaryDir>();
    m_seams->spreadsheets.setFolder(QDir(m_dir->path()).filePath(QStringLiteral("Tabel")));
}

void TestXlsxFailures::cleanup()
{
    QVERIFY2(!m_seams->messages.failed(), qPrintable(m_seams->messages.failures().join('\n')));
    m_seams.reset();
    m_dir.reset();
}

void TestXlsxFailures::writeFailures_data()
{
    QTest::addColumn<int>("sheet");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");

    const QString sheetCaption = QStringLiteral("Ошибочный номер листа Microsoft Excel");
    const QString cellCaption = QStringLiteral("Ошибка Microsoft Excel");
    QTest::newRow("sheet 2") << 2 << 3 << 7 << "8" << sheetCaption;
    QTest::newRow("sheet 0") << 0 << 1 << 1 << "Иванов" << sheetCaption;
    QTest::newRow("column 0") << 1 << 0 << 5 << "8" << cellCaption;
    QTest::newRow("row 0") << 1 << 4 << 0 << "8" << cellCaption;
    QTest::newRow("past the last column") << 1 << 16385 << 1 << "8" << cellCaption;
    QTest::newRow("past the last row") << 1 << 1 << 1048577 << "8" << cellCaption;
    QTest::newRow("text too long") << 1 << 3 << 7 << QString(32768, QChar(u'я')) << cellCaption;
}

// Both writes name sheet, column and row in that order; the workbook keeps what was written.
void TestXlsxFailures::writeFailures()
{
    QFETCH(int, sheet);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, text);
    QFETCH(QString, caption);

    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    QCOMPARE(link.WriteExcelCell(1, 1, 1, QStringLiteral("До ошибки"), true, true, true), 1);
    const QString body = QStringLiteral("Ошибка при записи: лист %1, столбец %2, строка %3")
                             .arg(sheet)
                             .arg(column)
                             .arg(row);
    QCOMPARE(link.WriteExcelCell(sheet, column, row, text, true, true, true), -1);
    QCOMPARE(m_seams->messages.shown().size(), 1);
    QCOMPARE(link.WriteExcelValue(sheet, column, row, text), -1);
    QCOMPARE(m_seams->messages.shown().size(), 2);
    for (const testing::RecordedMessage &m : m_seams->messages.shown()) {
        QCOMPARE(m.caption, caption);
        QCOMPARE(m.text, body);
        QCOMPARE(m.icon, ui::Icon::Error);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    QCOMPARE(link.WriteExcelValue(1, 2, 1, QStringLiteral("После ошибки")), 1);
    QCOMPARE(link.SetExcelVisible(true), 1);
    XLSX_READ(book, link.lastFile());
    QCOMPARE(book.cells.keys().size(), 2);
    QCOMPARE(book.cell("A1").value.toString(), QStringLiteral("До ошибки"));
    QCOMPARE(book.cell("B1").value.toString(), QStringLiteral("После ошибки"));
}

void TestXlsxFailures::limitsAccepted()
{
    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    QCOMPARE(link.WriteExcelCell(1, 16384, 1048576, QStringLiteral("угол"), true, true, true), 1);
    QCOMPARE(link.WriteExcelValue(1, 1, 1, QString(32767, QChar(u'я'))), 1);
    QCOMPARE(link.SetExcelVisible(true), 1);
    QVERIFY(m_seams->messages.shown().isEmpty());
    QVERIFY(QFileInfo(link.lastFile()).size() > 0);
}

// Before the first OpenExcel there is no sheet: the sheet's message; showing does nothing.
void TestXlsxFailures::writeBeforeOpen()
{
    ExcelLink link;
    QCOMPARE(link.WriteExcelCell(1, 3, 7, QStringLiteral("8"), false, true, false), -1);
    QCOMPARE(m_seams->messages.last().caption,
             QStringLiteral("Ошибочный номер листа Microsoft Excel"));
    QCOMPARE(m_seams->messages.last().text,
             QStringLiteral("Ошибка при записи: лист 1, столбец 3, строка 7"));
    QCOMPARE(link.SetExcelVisible(true), 1);
    QCOMPARE(link.SetExcelVisible(false), 1);
    QVERIFY(m_seams->spreadsheets.opened().isEmpty());
    QVERIFY(!QFileInfo::exists(folder()));
}

// The link builds new workbooks only; a name asks for an existing one, which it refuses.
void TestXlsxFailures::existingFileRefused()
{
    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelValue(1, 1, 1, QStringLiteral("несохранённое"));
    const QString name = QDir(m_dir->path()).filePath(QStringLiteral("старая книга.xlsx"));
    QCOMPARE(link.OpenExcel(name), -1);
    const testing::RecordedMessage m = m_seams->messages.last();
    QCOMPARE(m.caption, QStringLiteral("Ошибка"));
    QCOMPARE(m.icon, ui::Icon::Error);
    QVERIFY(m.text.startsWith(QStringLiteral("Ошибка открытия файла Microsoft Excel.")));
    QVERIFY2(m.text.contains(QDir::toNativeSeparators(name)), qPrintable(m.text));
    QCOMPARE(link.WriteExcelValue(1, 1, 2, QStringLiteral("8")), -1);
    QCOMPARE(m_seams->messages.last().caption,
             QStringLiteral("Ошибочный номер листа Microsoft Excel"));
    QCOMPARE(link.SetExcelVisible(true), 1);
    QVERIFY(m_seams->spreadsheets.opened().isEmpty());
}

void TestXlsxFailures::unwritableFolder_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("folder cannot be made") << false;
    QTest::newRow("read-only folder") << true;
}

// The message names the file and the folder; nothing is left there; after the folder is
// mended, showing again saves the same workbook.
void TestXlsxFailures::unwritableFolder()
{
    QFETCH(bool, readOnly);
    QString bad;
    if (readOnly) {
        bad = QDir(m_dir->path()).filePath(QStringLiteral("только чтение"));
        QVERIFY(QDir().mkpath(bad));
        QVERIFY(QFile::setPermissions(bad, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QFile probe(QDir(bad).filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(
                bad, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("permissions do not bind this user (root)");
        }
    } else {
        // A folder under a plain file can be neither made nor written.
        const QString file = QDir(m_dir->path()).filePath(QStringLiteral("файл"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        bad = QDir(file).filePath(QStringLiteral("Tabel"));
    }
    m_seams->spreadsheets.setFolder(bad);

    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelCell(1, 1, 1, QStringLiteral("Итого"), true, true, true);
    QCOMPARE(link.SetExcelVisible(true), -1);
    const QString target = QDir(bad).filePath(QStringLiteral("Книга %1.xlsx").arg(kStamp));
    const testing::RecordedMessage m = m_seams->messages.last();
    QCOMPARE(m.caption, QStringLiteral("Ошибка"));
    QCOMPARE(m.icon, ui::Icon::Error);
    QCOMPARE(m.text,
             QStringLiteral("Не удалось сохранить файл «%1»: папка «%2» недоступна для "
                            "записи.")
                 .arg(QDir::toNativeSeparators(target), QDir::toNativeSeparators(bad)));
    QVERIFY(m_seams->spreadsheets.opened().isEmpty());
    QVERIFY(link.lastFile().isEmpty());
    if (readOnly) {
        QVERIFY(xlsxtest::filesIn(bad).isEmpty());
        QFile::setPermissions(
            bad, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    m_seams->spreadsheets.setFolder(QDir(m_dir->path()).filePath(QStringLiteral("Tabel")));
    QCOMPARE(link.SetExcelVisible(true), 1);
    XLSX_READ(book, link.lastFile());
    QCOMPARE(book.cell("A1").value.toString(), QStringLiteral("Итого"));
}

// A full disk is played by a file size limit: the write fails part-way.
void TestXlsxFailures::diskFull()
{
#ifdef Q_OS_UNIX
    ExcelLink link(nullptr, QStringLiteral("Продукция"));
    QCOMPARE(link.OpenExcel(), 1);
    for (int row = 1; row <= 3000; ++row)
        link.WriteExcelValue(1, 1, row, QStringLiteral("Изделие №%1 с длинным названием").arg(row));

    rlimit saved {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = link.SetExcelVisible(true);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(result, -1);
    const QString target = expected(QStringLiteral("Продукция %1.xlsx").arg(kStamp));
    QCOMPARE(m_seams->messages.last().text,
             QStringLiteral("Не удалось сохранить файл «%1»: на диске недостаточно места.")
                 .arg(QDir::toNativeSeparators(target)));
    QCOMPARE(m_seams->messages.last().caption, QStringLiteral("Ошибка"));
    QCOMPARE(xlsxtest::filesIn(folder()), QStringList());
    QVERIFY(m_seams->spreadsheets.opened().isEmpty());

    // Room again: the same workbook saves whole.
    QCOMPARE(link.SetExcelVisible(true), 1);
    QCOMPARE(link.lastFile(), target);
    XLSX_READ(book, target);
    QCOMPARE(book.cells.size(), 3000);
    QCOMPARE(book.cell("A3000").value.toString(),
             QStringLiteral("Изделие №3000 с длинным названием"));
#else
    QSKIP("the file size limit is a POSIX facility");
#endif
}

// No application for .xlsx: the file stays and the message says where it is.
void TestXlsxFailures::noApplication()
{
    m_seams->spreadsheets.canOpen = false;
    ExcelLink link(nullptr, QStringLiteral("Табель"));
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelCell(1, 1, 1, QStringLiteral("Март 2021"), true, true, true);
    QCOMPARE(link.SetExcelVisible(true), -1);
    const QString target = expected(QStringLiteral("Табель %1.xlsx").arg(kStamp));
    QCOMPARE(m_seams->spreadsheets.opened(), QStringList {target});
    QCOMPARE(m_seams->messages.last().caption, QStringLiteral("Ошибка"));
    QCOMPARE(m_seams->messages.last().text,
             QStringLiteral("Файл «%1» сохранён, но открыть его не удалось: нет программы для "
                            "файлов Microsoft Excel (.xlsx). Файл лежит в папке «%2».")
                 .arg(QDir::toNativeSeparators(target), QDir::toNativeSeparators(folder())));
    XLSX_READ(book, target);
    QCOMPARE(book.cell("A1").value.toString(), QStringLiteral("Март 2021"));
    // Saved already: showing again neither saves nor asks again.
    QCOMPARE(link.SetExcelVisible(true), 1);
    QCOMPARE(m_seams->messages.shown().size(), 1);
    QCOMPARE(xlsxtest::filesIn(folder()), QStringList {QFileInfo(target).fileName()});
}

// Names already taken, by another program's file or an export of the same second, move the
// new file to " (2)", " (3)"; the existing files stay as they were.
void TestXlsxFailures::neverOverwrites()
{
    QVERIFY(QDir().mkpath(folder()));
    const QString first = expected(QStringLiteral("Книга %1.xlsx").arg(kStamp));
    QFile other(first);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("чужой файл");
    other.close();

    for (const QString &suffix : {QStringLiteral(" (2)"), QStringLiteral(" (3)")}) {
        ExcelLink link;
        QCOMPARE(link.OpenExcel(), 1);
        link.WriteExcelValue(1, 1, 1, suffix);
        QCOMPARE(link.SetExcelVisible(true), 1);
        const QString file = expected(QStringLiteral("Книга %1%2.xlsx").arg(kStamp, suffix));
        QCOMPARE(link.lastFile(), file);
        QCOMPARE(m_seams->spreadsheets.opened().last(), file);
        XLSX_READ(book, file);
        QCOMPARE(book.cell("A1").value.toString(), suffix);
    }
    QVERIFY(other.open(QIODevice::ReadOnly));
    QCOMPARE(other.readAll(), QByteArray("чужой файл"));
    QCOMPARE(xlsxtest::filesIn(folder()).size(), 3);
}

// Hiding does nothing; showing saves once; writes after it make the next showing save anew.
void TestXlsxFailures::savedOnceUntilChanged()
{
    ExcelLink link(nullptr, QStringLiteral("Продукция"));
    QCOMPARE(link.OpenExcel(), 1);
    QCOMPARE(link.SetExcelVisible(false), 1);
    link.WriteExcelValue(1, 1, 1, QStringLiteral("Наименование"));
    QCOMPARE(link.SetExcelVisible(false), 1);
    QVERIFY(!QFileInfo::exists(folder()));
    QCOMPARE(link.SetExcelVisible(true), 1);
    QCOMPARE(link.SetExcelVisible(true), 1);
    QCOMPARE(m_seams->spreadsheets.opened().size(), 1);
    const QString first = link.lastFile();

    m_seams->setNow(QDateTime(QDate(2021, 3, 15), QTime(9, 31, 0)));
    link.WriteExcelValue(1, 1, 2, QStringLiteral("Втулка"));
    QCOMPARE(link.SetExcelVisible(true), 1);
    const QString second = expected(QStringLiteral("Продукция 2021-03-15 09-31-00.xlsx"));
    QCOMPARE(m_seams->spreadsheets.opened(), (QStringList {first, second}));
    XLSX_READ(before, first);
    XLSX_READ(after, second);
    QCOMPARE(before.cells.size(), 1);
    QCOMPARE(after.cells.size(), 2);
    QCOMPARE(after.cell("A2").value.toString(), QStringLiteral("Втулка"));
    QVERIFY(m_seams->messages.shown().isEmpty());
}

void TestXlsxFailures::newOpenDropsUnsaved()
{
    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelCell(1, 1, 1, QStringLiteral("прерванный табель"), true, true, true);
    QCOMPARE(link.OpenExcel(), 1);
    QCOMPARE(link.columnWidth(1), -1.0);
    link.WriteExcelValue(1, 2, 1, QStringLiteral("новая книга"));
    QCOMPARE(link.SetExcelVisible(true), 1);
    XLSX_READ(book, link.lastFile());
    QCOMPARE(book.cells.keys(), QStringList {QStringLiteral("B1")});
    QVERIFY(book.widths.isEmpty());
    QCOMPARE(xlsxtest::filesIn(folder()).size(), 1);
}

void TestXlsxFailures::titleMadeSafe_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("start");
    QTest::newRow("separators") << "Отчёт: 01/2021 \\ \"итог\"?"
                                << "Отчёт_ 01_2021 _ _итог__";
    QTest::newRow("empty") << ""
                           << "Книга";
    QTest::newRow("blanks") << "   "
                            << "Книга";
    QTest::newRow("hidden name") << " ..скрытый"
                                 << "скрытый";
    QTest::newRow("control character") << "a\tb"
                                       << "a_b";
}

void TestXlsxFailures::titleMadeSafe()
{
    QFETCH(QString, title);
    QFETCH(QString, start);
    ExcelLink link;
    link.setTitle(title);
    QCOMPARE(link.title(), start);
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelValue(1, 1, 1, QStringLiteral("1"));
    QCOMPARE(link.SetExcelVisible(true), 1);
    QCOMPARE(link.lastFile(), expected(QStringLiteral("%1 %2.xlsx").arg(start, kStamp)));
    QCOMPARE(xlsxtest::filesIn(folder()), QStringList {QFileInfo(link.lastFile()).fileName()});
}

// Without the test's seam the files go to the documents folder's "Tabel" (not opened here).
void TestXlsxFailures::documentsFolderOutsideTests()
{
    ui::setSpreadsheetSeam(nullptr);
    const QString folder = ui::spreadsheetFolder();
    ui::setSpreadsheetSeam(&m_seams->spreadsheets);
    QCOMPARE(QFileInfo(folder).fileName(), QStringLiteral("Tabel"));
    QCOMPARE(QDir::cleanPath(QFileInfo(folder).path()),
             QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
}

QTEST_MAIN(TestXlsxFailures)
#include "tst_xlsx_failures.moc"
