#pragma once
// Acceptance and deletion of the journal's shift records.

class TForm1;

class JournalAcceptance
{
public:
    explicit JournalAcceptance(TForm1 &journal) : m_journal(journal) {}
    void acceptSelected(); // "Принять", also the double-click in acceptance mode
    void acceptAll();      // "Принять ВСЕ"
    void deleteCurrent();  // "Удалить"

private:
    TForm1 &m_journal;
};
