// The spreadsheet link writes what the exports ask: numbers as numbers unless as text, bold,
// fitted columns, Cyrillic; the saved file is read back with openpyxl.

#include "reports/xlsx/excel_link.h"
#include "tests/support/fake_seams.h"
#include "support/xlsx_reader.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

using reports::ExcelLink;

class TestXlsxLink : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void valuesAndTypes_data();
    void valuesAndTypes();
    void valueKeepsFormatAndWeight();
    void boldAsAsked();
    void widthsGrowWithText();
    void fitMeasuresTheWholeColumn();
    void wholeNumbersByLength();
    void cyrillicThroughout();
    void emptyTextWritesNothing();
    void timesheetShape();

private:
    // Saves the link's workbook and returns the file it went to (empty on failure).
    QString show(ExcelLink &link);

    std::unique_ptr<testing::SeamsFixture> m_seams;
};

void TestXlsxLink::init()
{
    m_seams = std::make_unique<testing::SeamsFixture>();
    m_seams->setNow(QDateTime(QDate(2021, 3, 15), QTime(9, 30, 5)));
}

void TestXlsxLink::cleanup()
{
    QVERIFY2(!m_seams->messages.failed(), qPrintable(m_seams->messages.failures().join('\n')));
    m_seams.reset();
}

QString TestXlsxLink::show(ExcelLink &link)
{
    const int opened = int(m_seams->spreadsheets.opened().size());
    if (link.SetExcelVisible(true) != 1 || m_seams->spreadsheets.opened().size() != opened + 1)
        return QString();
    return m_seams->spreadsheets.opened().last();
}

void TestXlsxLink::valuesAndTypes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("asText");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("format");

    const QString general = QStringLiteral("General");
    const QString text = QStringLiteral("@");
    QTest::newRow("integer") << "12" << false << "n" << QVariant(12) << general;
    QTest::newRow("comma decimal") << "-0,5" << false << "n" << QVariant(-0.5) << general;
    QTest::newRow("point decimal") << "2.5" << false << "n" << QVariant(2.5) << general;
    QTest::newRow("general format exponent")
        << "1,5E-20" << false << "n" << QVariant(1.5e-20) << general;
    QTest::newRow("blanks around") << " 7 " << false << "n" << QVariant(7) << general;
    QTest::newRow("leading zeros") << "007" << false << "n" << QVariant(7) << general;
    QTest::newRow("two separators")
        << "12,5,3" << false << "s" << QVariant(QStringLiteral("12,5,3")) << general;
    QTest::newRow("date stays text")
        << "01.02.2021" << false << "s" << QVariant(QStringLiteral("01.02.2021")) << general;
    QTest::newRow("beyond a double")
        << "1E400" << false << "s" << QVariant(QStringLiteral("1E400")) << general;
    QTest::newRow("separator alone")
        << "," << false << "s" << QVariant(QStringLiteral(",")) << general;
    QTest::newRow("name") << "Иванов И.И." << false << "s"
                          << QVariant(QStringLiteral("Иванов И.И.")) << general;
    QTest::newRow("number as text")
        << "12" << true << "s" << QVariant(QStringLiteral("12")) << text;
    QTest::newRow("zeros kept as text")
        << "007" << true << "s" << QVariant(QStringLiteral("007")) << text;
    QTest::newRow("name as text") << "Итого" << true << "s" << QVariant(QStringLiteral("Итого"))
                                  << text;
}

void TestXlsxLink::valuesAndTypes()
{
    QFETCH(QString, text);
    QFETCH(bool, asText);
    QFETCH(QString, type);
    QFETCH(QVariant, value);
    QFETCH(QString, format);

    ExcelLink link(nullptr, QStringLiteral("Значения"));
    QCOMPARE(link.OpenExcel(), 1);
    QCOMPARE(link.WriteExcelCell(1, 2, 3, text, asText, false, false), 1);
    // The detailed product export's way: value only, never a format.
    QCOMPARE(link.WriteExcelValue(1, 3, 3, text), 1);
    const QString file = show(link);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);

    QCOMPARE(book.cell("B3").type, type);
    QCOMPARE(book.cell("B3").format, format);
    if (type == QStringLiteral("n"))
        QCOMPARE(book.cell("B3").value.toDouble(), value.toDouble());
    else
        QCOMPARE(book.cell("B3").value.toString(), value.toString());
    if (!asText) {
        QCOMPARE(book.cell("C3").type, type);
        QCOMPARE(book.cell("C3").value, book.cell("B3").value);
    }
    QCOMPARE(book.cell("C3").format, QStringLiteral("General"));
    QCOMPARE(book.cells.size(), 2);
    QVERIFY(m_seams->messages.shown().isEmpty());
}

// WriteExcelValue touches neither the number format nor the font; WriteExcelCell always sets
// the weight and never takes the text format away.
void TestXlsxLink::valueKeepsFormatAndWeight()
{
    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelCell(1, 1, 1, QStringLiteral("Итого"), true, false, true);
    QCOMPARE(link.WriteExcelValue(1, 1, 1, QStringLiteral("15")), 1);
    link.WriteExcelCell(1, 2, 1, QStringLiteral("Итого"), true, false, true);
    link.WriteExcelCell(1, 2, 1, QStringLiteral("16"), false, false, false);
    const QString file = show(link);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);

    QCOMPARE(book.cell("A1").value.toString(), QStringLiteral("15"));
    QCOMPARE(book.cell("A1").type, QStringLiteral("s"));
    QCOMPARE(book.cell("A1").format, QStringLiteral("@"));
    QVERIFY(book.cell("A1").bold);
    QCOMPARE(book.cell("B1").value.toString(), QStringLiteral("16"));
    QCOMPARE(book.cell("B1").type, QStringLiteral("s"));
    QCOMPARE(book.cell("B1").format, QStringLiteral("@"));
    QVERIFY(!book.cell("B1").bold);
}

void TestXlsxLink::boldAsAsked()
{
    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelCell(1, 1, 1, QStringLiteral("Март 2021"), true, true, true);
    link.WriteExcelCell(1, 2, 1, QStringLiteral("31"), false, true, true);
    link.WriteExcelCell(1, 1, 2, QStringLiteral("Петров П.П."), true, true, false);
    link.WriteExcelCell(1, 2, 2, QStringLiteral("8"), false, true, false);
    link.WriteExcelValue(1, 3, 2, QStringLiteral("Заготовки"));
    const QString file = show(link);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);

    QVERIFY(book.cell("A1").bold);
    QVERIFY(book.cell("B1").bold);
    QCOMPARE(book.cell("B1").type, QStringLiteral("n"));
    QVERIFY(!book.cell("A2").bold);
    QVERIFY(!book.cell("B2").bold);
    QVERIFY(!book.cell("C2").bold);
}

void TestXlsxLink::widthsGrowWithText()
{
    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    const QStringList texts
        = {QStringLiteral("8"), QStringLiteral("Ив"), QStringLiteral("Иванов Иван"),
           QStringLiteral("Иванова-Петрова Александра Константиновна")};
    for (int i = 0; i < texts.size(); ++i)
        link.WriteExcelCell(1, i + 1, 1, texts[i], true, true, false);
    // The same text bold needs more room than plain.
    link.WriteExcelCell(1, 5, 1, QStringLiteral("Фамилия И.О."), true, true, false);
    link.WriteExcelCell(1, 6, 1, QStringLiteral("Фамилия И.О."), true, true, true);
    // Not fitted: the default width stays.
    link.WriteExcelCell(1, 7, 1, texts.last(), true, false, false);
    link.WriteExcelValue(1, 8, 1, texts.last());
    const QString file = show(link);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);

    const QString letters = QStringLiteral("ABCDEF");
    for (int i = 0; i < letters.size(); ++i) {
        const QString c = letters.mid(i, 1);
        QVERIFY2(book.widths.contains(c), qPrintable(c));
        QVERIFY2(xlsxtest::storedWidth(book.widths.value(c), link.columnWidth(i + 1)),
                 qPrintable(QStringLiteral("%1: %2 for %3")
                                .arg(c)
                                .arg(book.widths.value(c))
                                .arg(link.columnWidth(i + 1))));
    }
    QVERIFY(book.widths["A"] < book.widths["B"]);
    QVERIFY(book.widths["B"] < book.widths["C"]);
    QVERIFY(book.widths["C"] < book.widths["D"]);
    QVERIFY(book.widths["E"] < book.widths["F"]);
    // Roughly a character of the sheet's digits per character, with some room: wide enough to
    // show the text, not a page wide.
    for (int i = 0; i < texts.size(); ++i) {
        const double w = book.widths.value(letters.mid(i, 1));
        QVERIFY2(w >= 0.6 * texts[i].size() + 1 && w <= 1.6 * texts[i].size() + 2,
                 qPrintable(QStringLiteral("%1: %2").arg(texts[i]).arg(w)));
    }
    QVERIFY(!book.widths.contains("G"));
    QVERIFY(!book.widths.contains("H"));
    QCOMPARE(link.columnWidth(7), -1.0);
}

// Fitting takes every text of the column at that moment, also those written without fitting,
// and gives room back when the widest text was overwritten by a shorter one.
void TestXlsxLink::fitMeasuresTheWholeColumn()
{
    const QString longName = QStringLiteral("Константинопольский Константин Константинович");
    ExcelLink reference;
    QCOMPARE(reference.OpenExcel(), 1);
    reference.WriteExcelCell(1, 1, 1, longName, true, true, false);
    reference.WriteExcelCell(1, 2, 1, QStringLiteral("Ли"), true, true, false);
    const double wide = reference.columnWidth(1);
    const double narrow = reference.columnWidth(2);

    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelValue(1, 1, 5, longName);
    link.WriteExcelCell(1, 1, 6, QStringLiteral("Ли"), true, true, false);
    QCOMPARE(link.columnWidth(1), wide);
    // Written later without fitting: the width stays as last fitted.
    link.WriteExcelCell(1, 2, 1, QStringLiteral("Ли"), true, true, false);
    link.WriteExcelValue(1, 2, 2, longName);
    QCOMPARE(link.columnWidth(2), narrow);
    link.WriteExcelCell(1, 2, 3, QStringLiteral("Ли"), true, true, false);
    QCOMPARE(link.columnWidth(2), wide);
    // The long text replaced by a short one: the next fit shrinks the column.
    link.WriteExcelValue(1, 2, 2, QStringLiteral("Ли"));
    link.WriteExcelCell(1, 2, 3, QStringLiteral("Ли"), true, true, false);
    QCOMPARE(link.columnWidth(2), narrow);

    const QString file = show(link);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);
    QVERIFY(xlsxtest::storedWidth(book.widths.value("A"), wide));
    QVERIFY(xlsxtest::storedWidth(book.widths.value("B"), narrow));
}

// Short whole numbers are measured apart from other texts: "7", "07" and "0007" each take the
// room of their own digits, and so does a number too long for that, in any order of writing
// and in every workbook of the run.
void TestXlsxLink::wholeNumbersByLength()
{
    const QStringList texts = {QStringLiteral("7"), QStringLiteral("07"), QStringLiteral("007"),
                               QStringLiteral("0007"), QStringLiteral("00007"),
                               QStringLiteral("9999"), QStringLiteral("10000")};
    QList<double> first;
    for (bool reversed : {false, true}) {
        ExcelLink link;
        QCOMPARE(link.OpenExcel(), 1);
        for (int k = 0; k < texts.size(); ++k) {
            const int i = reversed ? int(texts.size()) - 1 - k : k;
            link.WriteExcelCell(1, i + 1, 1, texts[i], true, true, false);
        }
        QList<double> widths;
        for (int i = 0; i < texts.size(); ++i) {
            const double w = link.columnWidth(i + 1);
            // Digits are as wide as each other in the sheet's fonts.
            QVERIFY2(qAbs(w - (texts[i].size() + 0.5)) < 0.2,
                     qPrintable(QStringLiteral("%1: %2").arg(texts[i]).arg(w)));
            widths << w;
        }
        for (int i = 1; i < 5; ++i)
            QVERIFY2(widths[i - 1] < widths[i], qPrintable(texts[i]));
        QVERIFY(widths[5] < widths[6]);
        if (reversed)
            QCOMPARE(widths, first);
        first = widths;
    }
}

void TestXlsxLink::cyrillicThroughout()
{
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath(QStringLiteral("Документы/Tabel"));
    m_seams->spreadsheets.setFolder(folder);

    ExcelLink link(nullptr, QStringLiteral("Табель март 2021"));
    QCOMPARE(link.OpenExcel(), 1);
    const QString texts[]
        = {QStringLiteral("Фамилия И.О."), QStringLiteral("Щукин Ёжик Ъ."),
           QStringLiteral("Колёсная пара «Э-2» (грунт)"), QStringLiteral("ёЁ№ — «»")};
    for (int i = 0; i < 4; ++i)
        link.WriteExcelCell(1, 1, i + 1, texts[i], i % 2 == 0, true, i == 0);
    const QString file = show(link);
    QCOMPARE(file,
             QDir(folder).filePath(QStringLiteral("Табель март 2021 2021-03-15 09-30-05.xlsx")));
    QCOMPARE(link.lastFile(), file);
    XLSX_READ(book, file);

    QCOMPARE(book.sheets, QStringList {QStringLiteral("Лист1")});
    for (int i = 0; i < 4; ++i)
        QCOMPARE(book.cell(QStringLiteral("A%1").arg(i + 1)).value.toString(), texts[i]);
    QCOMPARE(xlsxtest::filesIn(folder), QStringList {QFileInfo(file).fileName()});
}

// An empty text writes nothing: the cell keeps what it had, no box, no fitting.
void TestXlsxLink::emptyTextWritesNothing()
{
    ExcelLink idle;
    QCOMPARE(idle.WriteExcelCell(1, 1, 1, QString(), false, true, true), 1);
    QCOMPARE(idle.WriteExcelValue(2, 1, 1, QString()), 1);

    ExcelLink link;
    QCOMPARE(link.OpenExcel(), 1);
    link.WriteExcelCell(1, 2, 2, QStringLiteral("Старое"), true, false, true);
    QCOMPARE(link.WriteExcelCell(1, 2, 2, QString(), false, true, false), 1);
    QCOMPARE(link.WriteExcelValue(1, 2, 2, QString()), 1);
    QCOMPARE(link.WriteExcelCell(1, 3, 3, QString(), true, true, true), 1);
    QCOMPARE(link.WriteExcelValue(1, 4, 4, QString()), 1);
    QCOMPARE(link.columnWidth(2), -1.0);
    QCOMPARE(link.columnWidth(3), -1.0);
    const QString file = show(link);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);

    QCOMPARE(book.cells.keys(), QStringList {QStringLiteral("B2")});
    QCOMPARE(book.cell("B2").value.toString(), QStringLiteral("Старое"));
    QVERIFY(book.cell("B2").bold);
    QCOMPARE(book.cell("B2").format, QStringLiteral("@"));
    QVERIFY(book.widths.isEmpty());
    QVERIFY(m_seams->messages.shown().isEmpty());
}

// The calls of the monthly timesheet export, on three workers: title, header, one row per
// worker with 31 days and the total.
void TestXlsxLink::timesheetShape()
{
    ExcelLink link(nullptr, QStringLiteral("Табель"));
    QCOMPARE(link.OpenExcel(), 1);
    QCOMPARE(link.SetExcelVisible(false), 1);
    QVERIFY(m_seams->spreadsheets.opened().isEmpty());
    link.WriteExcelCell(1, 1, 1, QStringLiteral("Февраль 2021"), true, true, true);
    link.WriteExcelCell(1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int d = 1; d <= 31; ++d)
        link.WriteExcelCell(1, d + 1, 2, QString::number(d), false, true, true);
    link.WriteExcelCell(1, 33, 2, QStringLiteral("Итого"), true, true, true);
    const QStringList names = {QStringLiteral("Алексеев А.А."), QStringLiteral("Борисова Б.Б."),
                               QStringLiteral("Васильев-Ясенев В.В.")};
    for (int w = 0; w < names.size(); ++w) {
        const int row = w + 3;
        link.WriteExcelCell(1, 1, row, names[w], true, true, false);
        int sum = 0;
        for (int d = 1; d <= 31; ++d) {
            const int hours = (d + w) % 7 < 5 && d <= 28 ? 8 + w : 0;
            sum += hours;
            link.WriteExcelCell(1, d + 1, row, QString::number(hours), false, true, false);
        }
        link.WriteExcelCell(1, 33, row, QString::number(sum), false, true, false);
    }
    QVERIFY(m_seams->spreadsheets.opened().isEmpty());
    const QString file = show(link);
    QVERIFY(!file.isEmpty());
    XLSX_READ(book, file);

    QCOMPARE(book.cells.size(), 2 + 32 + 3 * 33);
    QCOMPARE(book.cell("A1").value.toString(), QStringLiteral("Февраль 2021"));
    QCOMPARE(book.cell("AF2").value.toInt(), 31);
    QCOMPARE(book.cell("AF2").type, QStringLiteral("n"));
    QVERIFY(book.cell("AF2").bold);
    QCOMPARE(book.cell("AG2").value.toString(), QStringLiteral("Итого"));
    QCOMPARE(book.cell("A5").value.toString(), names[2]);
    QCOMPARE(book.cell("AD5").value.toInt(), 0); // day 29 of February
    QCOMPARE(book.cell("AD5").type, QStringLiteral("n"));
    QVERIFY(book.cell("AG3").value.toInt() > 0);
    QCOMPARE(book.cell("AG3").type, QStringLiteral("n"));
    // The name column is as wide as the longest name, the longest text in it.
    ExcelLink reference;
    reference.OpenExcel();
    reference.WriteExcelCell(1, 1, 1, names[2], true, true, false);
    QVERIFY(xlsxtest::storedWidth(book.widths.value("A"), reference.columnWidth(1)));
    QCOMPARE(book.widths.size(), 33);
}

QTEST_MAIN(TestXlsxLink)
#include "tst_xlsx_link.moc"
