#pragma once
// TForm22: the norms of one operation.

#include "db/dataset.h"
#include "processes/leaving_window.h"

class QPushButton;
class QTableView;
class NormsGrid;
class NormsModel;

class TForm22 : public LeavingWindow
{
    Q_OBJECT
public:
    explicit TForm22(QWidget *parent = nullptr);

    db::Dataset norm; // accounts_dep.norm, narrowed to the operation, in order of norma
    QTableView *DBGrid1; // typed into in place; a row started here belongs to the operation
    QPushButton *Button1; // "Сохранить", also Enter and Esc
    QPushButton *Button2; // "Удалить"

    // Lists the norms of the operation and shows the window modally.
    void openFor(int operationId);
    int operationId() const { return m_operationId; }

    // A typed cell. A row that exists is written at once; the new row keeps what is typed
    // until the user leaves it (writeNewRow). A value that is not a number throws.
    void writeCell(int row, const QString &field, const QString &typed);
    // Writes the new row, with this window's operation, when anything was typed into it; the
    // cursor stays on the row written.
    void writeNewRow();
    // Starts an empty row at the end of the grid, as Insert or Down on the last row do.
    void startNewRow();

    void Button1Click();
    void Button2Click();

protected:
    // Esc and the close box press "Сохранить": what was typed is kept either way.
    void leave() override { Button1Click(); }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The dataset's current row is the grid's (Удалить takes it).
    void followGrid();
    // After a write: the cursor on the row written when the view lost it.
    void cursorBackTo(const QVariant &id, int column);

    NormsGrid *m_grid;
    NormsModel *m_model;
    int m_operationId = 0;
};
