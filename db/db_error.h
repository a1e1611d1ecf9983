#pragma once
// Errors of the data layer: the server's words, and numbers or dates not in the program's format.

#include <QString>
#include <stdexcept>

namespace db {

// A statement or connection failure; text() is what the server (or the driver) said.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &text, const QString &sqlState = QString());
    QString text() const { return m_text; }
    QString sqlState() const { return m_sqlState; }
    // True when the connection itself is gone (server restarted, network lost).
    bool connectionLost() const;

private:
    QString m_text;
    QString m_sqlState;
};

// A value typed or read that is not a number or date in the program's format.
class ConversionError : public std::runtime_error
{
public:
    explicit ConversionError(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

} // namespace db
