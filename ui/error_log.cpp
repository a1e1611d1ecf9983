#include "error_log.h"

#include "ui/seams.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWidget>

namespace ui {

namespace {

// "TForm11 «Запись»": the class tells support which window it was, the title what it showed.
QString describeWindow(QWidget *window)
{
    QWidget *w = window ? window->window() : nullptr;
    if (!w && qobject_cast<QApplication *>(QCoreApplication::instance())) {
        w = QApplication::activeModalWidget();
        if (!w)
            w = QApplication::activeWindow();
    }
    if (!w)
        return QStringLiteral("-");
    QString name = QString::fromLatin1(w->metaObject()->className());
    if (!w->windowTitle().isEmpty())
        name += QStringLiteral(" «%1»").arg(w->windowTitle());
    return name;
}

// Moves a full log aside; the older copy goes.
void rotate(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() < kErrorLogLimit)
        return;
    const QString older = path + QStringLiteral(".1");
    QFile::remove(older);
    QFile::rename(path, older);
}

} // namespace

QString errorLogFolder()
{
#ifdef Q_OS_WIN
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/tabel");
#else
    QString base = QString::fromLocal8Bit(qgetenv("XDG_STATE_HOME"));
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/tabel");
#endif
}

QString errorLogPath()
{
    return errorLogFolder() + QStringLiteral("/tabel.log");
}

void appendErrorLog(QWidget *window, const QString &text)
{
    const QString folder = errorLogFolder();
    if (!QDir().mkpath(folder))
        return;
    const QString path = errorLogPath();
    rotate(path);
    // Logins and the server's words: the owner's alone, also a log an older build made.
    const QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text, owner))
        return;
    file.setPermissions(owner);
    // One entry a line; the lines of a long server text follow indented, so entries stay apart.
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\n'), QStringLiteral("\n    "));
    const QString entry = QStringLiteral("%1  %2  %3\n")
                              .arg(now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                   describeWindow(window), body);
    file.write(entry.toUtf8());
}

} // namespace ui
