#include "db_error.h"

#include "odbc.h"

#include <QRegularExpression>

namespace db {

DbError::DbError(const QString &text, const QString &sqlState)
    : std::runtime_error(text.toStdString())
    , m_text(text)
    , m_sqlState(sqlState)
{
}

bool DbError::connectionLost() const
{
    return odbc::looksLost(m_sqlState, m_text);
}

ConversionError::ConversionError(const QString &text)
    : std::runtime_error(text.toStdString())
    , m_text(text)
{
}

namespace odbc {

// The server's message as the user should read it: without the severity word the driver puts in
// front ("ERROR:  ") and the ";" it puts behind.
static QString serverWords(QString line)
{
    static const QRegularExpression severity(
        QStringLiteral("^(ERROR|FATAL|PANIC|ОШИБКА|ВАЖНО|ПАНИКА):\\s*"));
    line = line.trimmed();
    line.remove(severity);
    if (line.endsWith(QLatin1Char(';')))
        line.chop(1);
    return line.trimmed();
}

Diagnostics diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    Diagnostics d;
    QStringList lines;
    for (SQLSMALLINT rec = 1;; ++rec) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        // Room for the longest message at once: given less, the driver cuts a long (Cyrillic)
        // message and still reports success with the cut length.
        std::vector<SQLWCHAR> message(32767);
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, rec, state, &native, message.data(),
                                            SQLSMALLINT(message.size()), &length);
        if (!succeeded(rc))
            break;
        if (d.state.isEmpty())
            d.state = fromWide(state, 5);
        const QString record
            = fromWide(message.data(), qMin<qsizetype>(length, message.size() - 1));
        for (const QString &piece : record.split(QLatin1Char('\n'))) {
            const QString line = serverWords(piece);
            if (!line.isEmpty() && !lines.contains(line))
                lines << line;
        }
    }
    // The driver's own closing remark adds nothing to what the server said.
    if (lines.size() > 1)
        lines.removeAll(QStringLiteral("Error while executing the query"));
    // The driver keeps about 4,000 bytes of a message; cut inside a letter, it gives only its
    // own "Error: SqlState=…" line.
    static const QRegularExpression bare(QStringLiteral("^Error: SqlState=(\\w+)$"));
    for (QString &line : lines) {
        const QRegularExpressionMatch m = bare.match(line);
        if (m.hasMatch())
            line = QStringLiteral("Сервер сообщил об ошибке (код %1), но её текст слишком "
                                  "длинный, чтобы драйвер ODBC его передал")
                       .arg(m.captured(1));
    }
    d.text = lines.join(QLatin1Char('\n'));
    return d;
}

bool looksLost(const QString &sqlState, const QString &text)
{
    static const char *const states[] = {"08S01", "08003", "08006", "57P01", "57P02", "57P03"};
    for (const char *s : states) {
        if (sqlState == QLatin1String(s))
            return true;
    }
    static const char *const words[] = {
        "connection has been lost",
        "no connection to the server",
        "server closed the connection",
        "terminating connection",
        "could not send query",
        "connection dead",
        // psqlODBC's first word when the session died inside a transaction.
        "internal SAVEPOINT failed",
    };
    for (const char *w : words) {
        if (text.contains(QLatin1String(w), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

DbError errorOf(const Diagnostics &diag)
{
    if (looksLost(diag.state, diag.text))
        return DbError(QStringLiteral("Связь с сервером базы данных потеряна, действие не "
                                      "выполнено. Следующее действие подключится заново.\n")
                           + diag.text,
                       diag.state);
    return DbError(diag.text.isEmpty() ? QStringLiteral("Ошибка драйвера базы данных") : diag.text,
                   diag.state);
}

} // namespace odbc
} // namespace db
