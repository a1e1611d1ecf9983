#pragma once
// TForm22: the norms of one operation.

#include "db/dataset.h"
#include "processes/leaving_window.h"

class QPushButton;
class QTableView;
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

    // A typed cell: the row written at once (a new row with this window's operation).
    void writeCell(int row, const QString &field, const QString &typed);
    // Starts an empty row at the end of the grid, as Insert or Down on the last row do.
    void startNewRow();

    void Button1Click();
    void Button2Click();

protected:
    // Esc and the close box press "Сохранить": what was typed is kept either way.
    void leave() override { Button1Click(); }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    NormsModel *m_model;
    int m_operationId = 0;
};
