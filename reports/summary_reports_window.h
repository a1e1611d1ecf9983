#pragma once
// TForm18: the summary reports of a period: five printed summaries and the product export.

#include "db/dataset.h"
#include "reports/report_controls.h"
#include "reports/xlsx/excel_link.h"
#include "reports/xlsx/export_note.h"
#include "ui/window.h"

class QDateEdit;
class QPushButton;
class ReportLayout;

class TForm18 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm18(QWidget *parent = nullptr);

    reports::RadioGroup *RadioGroup1; // the product kind; kept between openings
    reports::PeriodBox *GroupBox1;
    QDateEdit *DTPicker1; // start of the period, included
    QDateEdit *DTPicker2; // end of the period, excluded
    QPushButton *Button4; // "Отчет по рабочим"
    QPushButton *Button2; // "Отчет по продукции"
    QPushButton *Button1; // "Детальный отчет по рабочим"
    QPushButton *Button3; // "Детальный отчет по продукции"
    QPushButton *Button7; // "Детальный отчет по заявкам"
    QPushButton *Button6; // "Excel (k из N)"
    QPushButton *Button5; // "Выход"
    reports::ExportNote *NoteExport; // where the last export went

    // The products of the period for the spreadsheet.
    db::Dataset XLS_Rep;

    // Column 2 of the export: the operation kind with its colour note, " (грунт)" for colour 1
    // and " (цвет: n)" above 1.
    static QString operationWithColour(const QString &vid, qint64 color);

public Q_SLOTS:
    void Button4Click(); // workers summary
    void Button2Click(); // product summary
    void Button1Click(); // detailed workers
    void Button3Click(); // detailed products
    void Button7Click(); // requisitions
    void Button6Click(); // "Excel"
    void Button5Click();

private:
    // The products of the period and kind to a new spreadsheet, a row per product and
    // operation; the button counts the rows written.
    void exportProducts();
    // Fills the layout's query with the period and the product kind, titles it with `title`
    // and the period, and shows its preview.
    void preview(ReportLayout *layout, const QString &title);

    reports::ExcelLink m_excel;
};
