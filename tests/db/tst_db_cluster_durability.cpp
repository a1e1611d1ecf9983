// The local clusters of scripts/pg.sh: a throwaway one (tests, benchmarks) skips flushing to
// disk, a durable one (the demo that keeps what users type) has fsync, full_page_writes and
// synchronous_commit on, and "pg.sh durable" makes a running throwaway cluster safe at once.

#include "support/test_db.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString &program, const QStringList &args, bool *ok = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool finished = p.waitForFinished(120000);
    if (ok)
        *ok = finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromUtf8(p.readAll()).trimmed();
}

} // namespace

class TestDbClusterDurability : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void throwawayThenDurable();

private:
    QString pg(const QStringList &args)
    {
        bool ok = false;
        const QString out = run(m_script, args, &ok);
        if (!ok) {
            // The server's own log says why it did not start.
            QFile log(m_cluster + QStringLiteral("/server.log"));
            const QString tail = log.open(QIODevice::ReadOnly)
                ? QString::fromUtf8(log.readAll().right(2000)) : QString();
            QTest::qFail(qPrintable(QStringLiteral("pg.sh %1: %2\n%3")
                                        .arg(args.join(' '), out, tail)),
                         __FILE__, __LINE__);
        }
        return out;
    }
    // The three settings as the server reports them, "fsync|full_page_writes|synchronous_commit".
    QString settings()
    {
        QStringList values;
        for (const char *name : {"fsync", "full_page_writes", "synchronous_commit"}) {
            values << run(QStringLiteral("psql"),
                          {QStringLiteral("-X"), QStringLiteral("-tA"), QStringLiteral("-h"),
                           m_cluster, QStringLiteral("-p"), m_port, QStringLiteral("-U"),
                           QStringLiteral("tabel_admin"), QStringLiteral("-d"),
                           QStringLiteral("postgres"), QStringLiteral("-c"),
                           QStringLiteral("show %1").arg(QLatin1String(name))});
        }
        return values.join(u'|');
    }

    QString m_script;
    QTemporaryDir m_dir;
    QString m_cluster;
    QString m_port;
};

void TestDbClusterDurability::initTestCase()
{
    m_script = testing::TestServer::get().pgctl;
    QVERIFY(!m_script.isEmpty());
    QVERIFY(m_dir.isValid());
    // The postgres user runs the cluster when the tests run as root: it must reach the folder.
    QFile::setPermissions(m_dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                              | QFileDevice::ReadOther | QFileDevice::ExeOther
                              | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    m_cluster = m_dir.filePath(QStringLiteral("data"));
    m_port = pg({QStringLiteral("free-port"), QStringLiteral("27300")});
}

void TestDbClusterDurability::cleanupTestCase()
{
    if (!m_cluster.isEmpty())
        run(m_script, {QStringLiteral("stop"), m_cluster});
}

void TestDbClusterDurability::throwawayThenDurable()
{
    pg({QStringLiteral("start"), m_cluster, m_port});
    QCOMPARE(settings(), QStringLiteral("off|off|off"));

    // A cluster left running by an older run.sh is made safe without a restart.
    pg({QStringLiteral("durable"), m_cluster});
    QCOMPARE(settings(), QStringLiteral("on|on|on"));

    // Started durable after a stop (a reboot), it stays so.
    pg({QStringLiteral("stop"), m_cluster});
    pg({QStringLiteral("start"), m_cluster, m_port, QStringLiteral("durable")});
    QCOMPARE(settings(), QStringLiteral("on|on|on"));
}

QTEST_GUILESS_MAIN(TestDbClusterDurability)
#include "tst_db_cluster_durability.moc"
