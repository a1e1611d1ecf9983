// The Debian package: built with CPack from this build tree, then read back with dpkg-deb as
// an administrator's apt would see it.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

// Runs a tool; its standard output, or a test failure with what it said.
QString run(const QString &program, const QStringList &args, bool *ok)
{
    QProcess p;
    p.start(program, args);
    *ok = p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok)
        qWarning().noquote() << program << args.join(u' ')
                             << "failed:" << QString::fromLocal8Bit(p.readAllStandardError())
                             << QString::fromLocal8Bit(p.readAllStandardOutput());
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void control();
    void depends_data();
    void depends();
    void contents_data();
    void contents();
    void desktopEntry();
    void icons();

private:
    QString field(const QString &name);

    QTemporaryDir m_out;
    QString m_deb;
    QString m_listing;
    QString m_root; // the package unpacked
};

void TestPackage::initTestCase()
{
    QVERIFY(m_out.isValid());
    bool ok = false;
    run(QStringLiteral("cpack"),
        {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
         QStringLiteral(TABEL_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), m_out.path()},
        &ok);
    QVERIFY(ok);
    const QStringList debs = QDir(m_out.path()).entryList({QStringLiteral("tabel_*.deb")});
    QCOMPARE(debs.size(), 1);
    m_deb = m_out.filePath(debs.constFirst());
    QVERIFY2(QRegularExpression(QStringLiteral("^tabel_[0-9.]+_[a-z0-9]+\\.deb$"))
                 .match(debs.constFirst())
                 .hasMatch(),
             qPrintable(debs.constFirst()));
    m_listing = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb}, &ok);
    QVERIFY(ok);
    m_root = m_out.filePath(QStringLiteral("root"));
    run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root}, &ok);
    QVERIFY(ok);
}

QString TestPackage::field(const QString &name)
{
    bool ok = false;
    const QString value = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, name}, &ok);
    return ok ? value.trimmed() : QString();
}

void TestPackage::control()
{
    QCOMPARE(field(QStringLiteral("Package")), QStringLiteral("tabel"));
    bool ok = false;
    const QString arch
        = run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}, &ok).trimmed();
    QVERIFY(ok);
    QCOMPARE(field(QStringLiteral("Architecture")), arch);
    QVERIFY(!field(QStringLiteral("Version")).isEmpty());
    QVERIFY(!field(QStringLiteral("Maintainer")).isEmpty());
    QVERIFY(field(QStringLiteral("Description")).startsWith(QStringLiteral("Табель")));
}

void TestPackage::depends_data()
{
    QTest::addColumn<QString>("package");
    // What the program loads: Qt's windows and printing, the platform plugin, Qt's Russian
    // texts, the ODBC manager and the PostgreSQL driver, the spreadsheet library, the font.
    for (const char *p :
         {"libqt6widgets6", "libqt6printsupport6", "qt6-qpa-plugins", "qt6-translations-l10n",
          "unixodbc", "odbc-postgresql", "libxlsxwriter4", "fonts-liberation"})
        QTest::newRow(p) << QString::fromLatin1(p);
}

void TestPackage::depends()
{
    QFETCH(QString, package);
    QStringList names;
    const QStringList alternatives
        = field(QStringLiteral("Depends")).split(QRegularExpression(QStringLiteral("[,|]")));
    for (const QString &dep : alternatives)
        names << dep.trimmed().section(u' ', 0, 0).section(u':', 0, 0);
    QVERIFY2(names.contains(package), qPrintable(names.join(QStringLiteral(", "))));
    // Each exists under that name in this Debian release: apt knows it, or it is installed.
    bool known = false;
    run(QStringLiteral("apt-cache"),
        {QStringLiteral("show"), QStringLiteral("--no-all-versions"), package}, &known);
    if (!known)
        run(QStringLiteral("dpkg-query"), {QStringLiteral("-W"), package}, &known);
    QVERIFY2(known, qPrintable(package));
}

void TestPackage::contents_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("mode");
    QTest::newRow("program") << "./usr/bin/tabel"
                             << "-rwxr-xr-x";
    QTest::newRow("desktop entry") << "./usr/share/applications/tabel.desktop"
                                   << "-rw-r--r--";
    QTest::newRow("scalable icon") << "./usr/share/icons/hicolor/scalable/apps/tabel.svg"
                                   << "-rw-r--r--";
    QTest::newRow("48 px icon") << "./usr/share/icons/hicolor/48x48/apps/tabel.png"
                                << "-rw-r--r--";
    QTest::newRow("128 px icon") << "./usr/share/icons/hicolor/128x128/apps/tabel.png"
                                 << "-rw-r--r--";
}

void TestPackage::contents()
{
    QFETCH(QString, path);
    QFETCH(QString, mode);
    // "-rwxr-xr-x root/root  123 2026-12-10 13:50 ./usr/bin/tabel"
    const QRegularExpression line(QStringLiteral("^(\\S+)\\s+root/root\\s+(\\d+)\\s.*\\s%1$")
                                      .arg(QRegularExpression::escape(path)),
                                  QRegularExpression::MultilineOption);
    const auto m = line.match(m_listing);
    QVERIFY2(m.hasMatch(), qPrintable(m_listing));
    QCOMPARE(m.captured(1), mode);
    QVERIFY(m.captured(2).toLongLong() > 0);
    // Nothing but the program's own files: no build tree, tests or headers.
    for (const QString &entry : m_listing.split(u'\n', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u' ', -1);
        QVERIFY2(name == QLatin1String("./") || name.startsWith(QLatin1String("./usr/bin/"))
                     || name.startsWith(QLatin1String("./usr/share/"))
                     || name == QLatin1String("./usr/"),
                 qPrintable(entry));
        QVERIFY2(!name.contains(QLatin1String("tst_")) && !name.endsWith(QLatin1String(".h"))
                     && !name.endsWith(QLatin1String(".a")),
                 qPrintable(entry));
    }
}

void TestPackage::desktopEntry()
{
    QFile file(m_root + QStringLiteral("/usr/share/applications/tabel.desktop"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QHash<QString, QString> keys;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.constFirst(), QStringLiteral("[Desktop Entry]"));
    for (const QString &l : lines.mid(1))
        keys.insert(l.section(u'=', 0, 0), l.section(u'=', 1));
    QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("Табель"));
    QVERIFY(keys.value(QStringLiteral("Comment")).contains(QStringLiteral("табель")));
    // The command and the icon name what the package installs.
    QCOMPARE(keys.value(QStringLiteral("Exec")), QStringLiteral("tabel"));
    QVERIFY(QFileInfo(m_root + QStringLiteral("/usr/bin/") + keys.value(QStringLiteral("Exec")))
                .isExecutable());
    QCOMPARE(keys.value(QStringLiteral("Icon")), QStringLiteral("tabel"));
    QCOMPARE(keys.value(QStringLiteral("Terminal")), QStringLiteral("false"));
    QVERIFY(
        keys.value(QStringLiteral("Categories")).split(u';').contains(QStringLiteral("Office")));
}

void TestPackage::icons()
{
    const QString icons = m_root + QStringLiteral("/usr/share/icons/hicolor/");
    // The scalable icon is a whole SVG document.
    QFile svg(icons + QStringLiteral("scalable/apps/tabel.svg"));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
    QCOMPARE(xml.attributes().value(QStringLiteral("viewBox")).toString(),
             QStringLiteral("0 0 128 128"));
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // Each PNG is as large as the folder it sits in says.
    for (int size : {48, 128}) {
        const QImage png(icons + QStringLiteral("%1x%1/apps/tabel.png").arg(size));
        QCOMPARE(png.size(), QSize(size, size));
    }
}

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
