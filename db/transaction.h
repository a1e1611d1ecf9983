#pragma once
// The one way to run statements as a whole: a transaction that rolls back unless committed.

namespace db {

class Connection;

// Begins a transaction on construction, or joins the one already open on the connection; the
// owner of the open one then commits or rolls back for both, and commit() here does nothing.
// Left uncommitted (an error, an early return), the transaction is rolled back when the guard
// goes away: the driver undoes only a failing statement, never the transaction, and the
// rollback also frees the transaction's advisory locks.
class [[nodiscard]] Transaction
{
public:
    // Throws DbError as Connection::beginTransaction() does.
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Throws DbError when the server refuses; the transaction is rolled back then.
    void commit();

private:
    Connection &m_connection;
    bool m_owner;
    bool m_done = false;
};

} // namespace db
