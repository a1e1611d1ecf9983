#pragma once
// The floor of reading a result through the driver: one statement executed on a connection of
// its own (the program's connection string: same driver, same options), every row fetched in
// blocks of 500 with every column bound as text, nothing done with the values. A data layer on
// the same driver can hardly be faster; the journal's open is held against it.

#include <QByteArray>
#include <QDate>
#include <QString>

class OdbcFloor
{
public:
    // Throws std::runtime_error with the driver's text when the connection fails.
    explicit OdbcFloor(const QString &connectionString);
    ~OdbcFloor();
    OdbcFloor(const OdbcFloor &) = delete;
    OdbcFloor &operator=(const OdbcFloor &) = delete;

    // Milliseconds from the execute to the statement freed; `rows` gets the rows read.
    double run(const QByteArray &statement, long *rows = nullptr);
    // A first run, untimed, as the journal's own first open; throws std::runtime_error when it
    // reads another number of rows than the journal has.
    void warmUp(const QByteArray &statement, long journalRows);

private:
    void *m_env = nullptr;
    void *m_dbc = nullptr;
};

// The journal's statement with its two parameters written in (the day, and "ta" for OK), as
// psql and the floor run it.
QString journalStatementFor(QString sql, const QDate &day);
