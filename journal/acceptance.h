#pragma once
// Acceptance and deletion of the journal's shift records.

namespace db {
class Dataset;
}
class TForm1;

class JournalAcceptance
{
public:
    explicit JournalAcceptance(TForm1 &journal)
        : m_journal(journal)
    {
    }
    void acceptSelected(); // "Принять", also the double-click in acceptance mode
    void acceptAll(); // "Принять ВСЕ"
    void deleteCurrent(); // "Удалить"

private:
    // Accepts the journal's current row unless it is accepted already; a record without
    // material use rows is refused with a message and left as it was.
    void acceptCurrent(db::Dataset &journal);

    TForm1 &m_journal;
};
