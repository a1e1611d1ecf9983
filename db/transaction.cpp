#include "transaction.h"

#include "connection.h"

namespace db {

Transaction::Transaction(Connection &connection)
    : m_connection(connection)
    , m_owner(!connection.inTransaction())
{
    if (m_owner)
        m_connection.beginTransaction();
}

Transaction::~Transaction()
{
    if (m_owner && !m_done)
        m_connection.rollback();
}

void Transaction::commit()
{
    if (!m_owner)
        return;
    // Marked done only once committed: a commit refused before it reached the server (the
    // connection lost) leaves the transaction open on our side, for the destructor to end.
    m_connection.commit();
    m_done = true;
}

} // namespace db
