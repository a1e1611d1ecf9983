#pragma once
// TForm4: the technological process list, also the operation chooser.

#include "core/directory_window.h"
#include "db/dataset.h"
#include "reports/xlsx/excel_link.h"
#include "reports/xlsx/export_note.h"

class QCheckBox;

class TForm4 : public DirectoryWindow
{
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    QPushButton *Button1; // "Добавить"
    QPushButton *Button5; // "Excel", among the hidden commands
    QCheckBox *CheckBox1; // "Цены", among the hidden commands
    QPushButton *Button4; // "Выход" of the bottom panel
    QPushButton *Button6; // the second "Выход", outside the panel
    reports::ExportNote *NoteExport; // where the last export went

    void Button1Click();
    // The sort toggle of a title: the first click sorts descending, each further one toggles.
    void DBGrid1TitleClick(int column);
    void Button5Click(); // "Excel"

    db::Dataset XLS_Rep; // the export's query
    // The grid's double click: the norms of the current operation when "Цены" is ticked in the
    // menu's list, otherwise what "Изменить" does.
    void DBGrid1DblClick();

protected:
    // "Изменить", and in chooser mode the pick of a process: its operations open either way.
    void changeRow() override;
    void chooseRow() override;
    void FormActivate() override;
    void hideEvent(QHideEvent *event) override;

private:
    // The spreadsheet export of the older catalogue's operations with their prices, and the
    // process each belongs to.
    void exportOperations();

    reports::ExcelLink m_excel;
    // The process of the current row opened in the process operations window; true when an
    // operation was picked there (chooser mode).
    bool openProcess();
};
