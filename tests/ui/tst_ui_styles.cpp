// Visual styles by name and the one-line style file in the per-user config folder.

#include "tests/support/fake_seams.h"
#include "ui/styles.h"

#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

class TestUiStyles : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void configFolderFollowsXdg();
    void firstStartWritesWindows();
    void unusableFileRewritten_data();
    void unusableFileRewritten();
    void nameFromFirstLine_data();
    void nameFromFirstLine();
    void writeKeepsOneLine();
    void availableOrder();
    void knownNamesAnyCase_data();
    void knownNamesAnyCase();
    void unknownNameKeepsStyle();
    void stylesReachOpenWindows();

private:
    QByteArray fileContent() const;
    void putFile(const QByteArray &content) const;

    QTemporaryDir *m_home = nullptr;
};

void TestUiStyles::init()
{
    m_home = new QTemporaryDir;
    QVERIFY(m_home->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home->path()));
}

void TestUiStyles::cleanup()
{
    delete m_home;
    m_home = nullptr;
}

QByteArray TestUiStyles::fileContent() const
{
    QFile f(ui::styleFilePath());
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

void TestUiStyles::putFile(const QByteArray &content) const
{
    QFile f(ui::styleFilePath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

void TestUiStyles::configFolderFollowsXdg()
{
    QCOMPARE(ui::userConfigDir(), m_home->path() + "/tabel");
    QVERIFY(QFileInfo(ui::userConfigDir()).isDir());
    QCOMPARE(ui::styleFilePath(), m_home->path() + "/tabel/t_style.txt");
}

void TestUiStyles::firstStartWritesWindows()
{
    QVERIFY(!QFile::exists(ui::styleFilePath()));
    QCOMPARE(ui::readStyleFile(), QStringLiteral("Windows"));
    QCOMPARE(fileContent(), QByteArray("Windows\n"));
}

void TestUiStyles::unusableFileRewritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("empty first line") << QByteArray("\nOnyx Blue\n");
    QTest::newRow("empty first line, Windows ends") << QByteArray("\r\nOnyx Blue\r\n");
}

void TestUiStyles::unusableFileRewritten()
{
    QFETCH(QByteArray, content);
    putFile(content);
    QCOMPARE(ui::readStyleFile(), QStringLiteral("Windows"));
    QCOMPARE(fileContent(), QByteArray("Windows\n"));
}

void TestUiStyles::nameFromFirstLine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::newRow("one line") << QByteArray("Onyx Blue\n") << "Onyx Blue";
    QTest::newRow("no line end") << QByteArray("Night Shift") << "Night Shift";
    QTest::newRow("Windows line ends") << QByteArray("Birch\r\nOnyx Blue\r\n") << "Birch";
    QTest::newRow("saved with a mark") << QByteArray("\xEF\xBB\xBFonyx blue\r\n") << "onyx blue";
    QTest::newRow("unknown name kept") << QByteArray("Нет такого\n") << "Нет такого";
}

void TestUiStyles::nameFromFirstLine()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    putFile(content);
    QCOMPARE(ui::readStyleFile(), name);
    QCOMPARE(fileContent(), content); // a usable file is left as it is
}

void TestUiStyles::writeKeepsOneLine()
{
    putFile("Birch\nOnyx Blue\nWindows\n");
    ui::writeStyleFile(QStringLiteral("Night Shift"));
    QCOMPARE(fileContent(), QByteArray("Night Shift\n"));
    QCOMPARE(ui::readStyleFile(), QStringLiteral("Night Shift"));
}

void TestUiStyles::availableOrder()
{
    const QStringList names = ui::availableStyles();
    QVERIFY(names.size() >= 4);
    QCOMPARE(names.first(), QStringLiteral("Windows"));
    QVERIFY(names.contains(QStringLiteral("Onyx Blue")));
    const QStringList own = names.mid(1);
    QStringList sorted = own;
    sorted.sort(Qt::CaseInsensitive);
    QCOMPARE(own, sorted);
}

void TestUiStyles::knownNamesAnyCase_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::newRow("exact") << "Onyx Blue"
                           << "Onyx Blue";
    QTest::newRow("lower case") << "onyx blue"
                                << "Onyx Blue";
    QTest::newRow("upper case") << "WINDOWS"
                                << "Windows";
    QTest::newRow("mixed") << "nIGHT sHIFT"
                           << "Night Shift";
    QTest::newRow("light one") << "birch"
                               << "Birch";
}

void TestUiStyles::knownNamesAnyCase()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    testing::SeamsFixture seams;
    QVERIFY(ui::applyStyle(typed));
    QCOMPARE(ui::currentStyle(), name);
    QVERIFY(seams.messages.shown().isEmpty());
}

void TestUiStyles::unknownNameKeepsStyle()
{
    testing::SeamsFixture seams;
    QVERIFY(ui::applyStyle(QStringLiteral("Onyx Blue")));
    const QColor window = QApplication::palette().color(QPalette::Window);
    const QString styleClass
        = QString::fromLatin1(QApplication::style()->metaObject()->className());

    QVERIFY(!ui::applyStyle(QStringLiteral("Aqua Marine")));
    QCOMPARE(seams.messages.shown().size(), 1);
    QCOMPARE(seams.messages.last().caption, QStringLiteral("Ошибка"));
    QCOMPARE(seams.messages.last().icon, ui::Icon::Error);
    QCOMPARE(seams.messages.last().text, QStringLiteral("Стиль «Aqua Marine» не найден"));
    QCOMPARE(ui::currentStyle(), QStringLiteral("Onyx Blue"));
    QCOMPARE(QApplication::palette().color(QPalette::Window), window);
    QCOMPARE(QString::fromLatin1(QApplication::style()->metaObject()->className()), styleClass);
}

void TestUiStyles::stylesReachOpenWindows()
{
    testing::SeamsFixture seams;
    QWidget window;
    window.show();
    // Every style of the list gives the open window its own colours.
    QSet<QRgb> backgrounds;
    for (const QString &name : ui::availableStyles()) {
        QVERIFY(ui::applyStyle(name));
        backgrounds.insert(window.palette().color(QPalette::Window).rgb());
    }
    QCOMPARE(backgrounds.size(), ui::availableStyles().size());

    QVERIFY(ui::applyStyle(QStringLiteral("Onyx Blue")));
    const QPalette dark = window.palette();
    QVERIFY(dark.color(QPalette::Window).lightness() < 100);
    QVERIFY(dark.color(QPalette::WindowText).lightness() > 180);
    QVERIFY(dark.color(QPalette::Window).blue() > dark.color(QPalette::Window).red());

    QVERIFY(ui::applyStyle(QStringLiteral("Windows")));
    QVERIFY(window.palette().color(QPalette::Window).lightness() > 180);
    QVERIFY(window.palette().color(QPalette::WindowText).lightness() < 80);
}

QTEST_MAIN(TestUiStyles)
#include "tst_ui_styles.moc"
