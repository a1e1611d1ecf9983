#pragma once
// TForm34: the history of one shift record, newest first: when, who, what it held before.

#include "db/dataset.h"
#include "ui/window.h"

class QLabel;
class QPushButton;
class QTableWidget;

class TForm34 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm34(QWidget *parent = nullptr);

    QLabel *Label1; // the record's number, and whether it is deleted
    QTableWidget *Grid1; // one row per change: when, who, what, the values
    QLabel *Label2; // since when the history is kept, for a record older than that
    QPushButton *Button1; // "Закрыть"

    // The lines of the record's history (parameter id_smena) and when the history began.
    db::Dataset lines, since;

    // Reads the record's history and shows the window.
    void openFor(qint64 id);
    // Reads the record's history into the window (openFor without showing it).
    void readHistory(qint64 id);

    // Russian name of a column of a record or of one of its rows ("" when unknown).
    static QString columnCaption(const QString &what, const QString &column);
};
