// tabel.conf: written with its defaults at first start for its owner alone (it holds a
// password), an older file readable by others made private, and the switch that shows the
// hidden commands read from the file or from the environment.

#include "core/config.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther
    | QFileDevice::ExeOther;

// The environment variable set for one test and taken away afterwards.
struct Environment
{
    explicit Environment(const QString &value)
    {
        if (value.isNull())
            qunsetenv(kName);
        else
            qputenv(kName, value.toUtf8());
    }
    ~Environment() { qunsetenv(kName); }
    static constexpr const char *kName = "TABEL_SHOW_HIDDEN_COMMANDS";
};

} // namespace

class TestConfig : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void firstStartWritesPrivateDefaults();
    void olderFileMadePrivate();
    void showHiddenCommands_data();
    void showHiddenCommands();

private:
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestConfig::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_home->path().toUtf8());
    qunsetenv(Environment::kName);
}

void TestConfig::firstStartWritesPrivateDefaults()
{
    const QString path = AppConfig::filePath();
    QVERIFY(!QFile::exists(path));
    const AppConfig c = AppConfig::load();
    QVERIFY(QFile::exists(path));
    QCOMPARE(QFile::permissions(path) & kOthers, QFileDevice::Permissions());
    QVERIFY(QFile::permissions(path) & QFileDevice::ReadOwner);
    QVERIFY(!c.showHiddenCommands);
    QVERIFY(!c.keepJournalDate);

    QSettings s(path, QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("login")).toString(), QStringLiteral("wvk"));
    QCOMPARE(s.value(QStringLiteral("password")).toString(), QStringLiteral("wuvbzad"));
    QCOMPARE(s.value(QStringLiteral("show_hidden_commands")).toString(), QStringLiteral("false"));
    QCOMPARE(s.value(QStringLiteral("keep_journal_date")).toString(), QStringLiteral("false"));
}

void TestConfig::olderFileMadePrivate()
{
    const QString path = AppConfig::filePath();
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("server=db.example\nport=5544\ndatabase=plant\nlogin=wvk\npassword=secret\n");
    }
    QVERIFY(QFile::setPermissions(path,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const AppConfig c = AppConfig::load();
    QCOMPARE(c.server, QStringLiteral("db.example"));
    QCOMPARE(c.port, 5544);
    QCOMPARE(c.password, QStringLiteral("secret"));
    QCOMPARE(QFile::permissions(path) & kOthers, QFileDevice::Permissions());
}

void TestConfig::showHiddenCommands_data()
{
    QTest::addColumn<QString>("inFile"); // null: the key absent
    QTest::addColumn<QString>("environment"); // null: not set
    QTest::addColumn<bool>("shown");
    const QString none;
    QTest::newRow("absent") << none << none << false;
    QTest::newRow("false") << "false" << none << false;
    QTest::newRow("true") << "true" << none << true;
    QTest::newRow("1") << "1" << none << true;
    QTest::newRow("0") << "0" << none << false;
    QTest::newRow("Yes, blanks") << " Yes " << none << true;
    QTest::newRow("something else") << "да" << none << false;
    QTest::newRow("environment on over the file") << "false"
                                                  << "1" << true;
    QTest::newRow("environment on, key absent") << none << "true" << true;
    QTest::newRow("environment off over the file") << "true"
                                                   << "0" << false;
    QTest::newRow("environment empty turns it off") << "true"
                                                    << "" << false;
}

void TestConfig::showHiddenCommands()
{
    QFETCH(QString, inFile);
    QFETCH(QString, environment);
    QFETCH(bool, shown);
    {
        QSettings s(AppConfig::filePath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("server"), QStringLiteral("db.example"));
        if (!inFile.isNull())
            s.setValue(QStringLiteral("show_hidden_commands"), inFile);
    }
    const Environment env(environment);
    QCOMPARE(AppConfig::load().showHiddenCommands, shown);
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
