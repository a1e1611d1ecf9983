#pragma once
// The spreadsheet link: how the exports put a table in front of the user as an .xlsx workbook.
//
// Each window that exports keeps its own link (a member, like its datasets). An export runs:
//
//     if (excel.OpenExcel() == -1)             // a new, empty workbook with one sheet
//         return;                              // (after restoring the cursor)
//     excel.SetExcelVisible(false);            // optional: nothing is shown before the end
//     excel.WriteExcelCell(1, 1, 1, title, true, true, true);   // sheet, column, row, text,
//     excel.WriteExcelValue(1, 2, 3, db::formatGeneral(mass));  //   as text, fit, bold
//     ...
//     excel.FitColumns();                      // every column as wide as its widest text
//     excel.SetExcelVisible(true);             // saved to a new file and opened
//
// Sheet, column and row numbers start at 1; only sheet 1 exists. Texts that read as numbers
// ("12", "-0,5", "2.5", "1,5E-20") are stored as numbers unless the cell has the text format;
// an empty text writes nothing. `WriteExcelCell` sets the text format when asked (it is never
// taken away again), sets bold or not bold, and fits the column to the widest text in it, as
// measured in the sheet's font. `WriteExcelValue` only sets the value: the cell keeps its format
// and its weight.
//
// "Visible" means saved and opened: `SetExcelVisible(true)` writes the workbook to a new file
// in the user's documents folder, sub-folder "Tabel" (ui::spreadsheetFolder()), named
// "<title> <yyyy-MM-dd HH-mm-ss>.xlsx" with " (2)", " (3)"... when that name is taken, and never
// over an existing file; it is written under a temporary name in that folder and renamed when
// complete, so a failure leaves no file behind. Then the file goes to the desktop's application
// (ui::openSpreadsheet()). Making it visible again after more writes saves another new file; with
// nothing changed it does nothing. `SetExcelVisible(false)` has nothing to hide and does nothing.
//
// An ExportNote (export_note.h) beside the window's export button says where each saved file
// went and opens its folder.
//
// Every operation returns 1 on success and -1 after showing its own message ("Ошибка" caption
// or as listed, error icon) through ui's message seam; none throws. A new `OpenExcel` drops a
// workbook that was never made visible.

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace reports {

class ExcelLink
{
public:
    // `window` is what the messages are shown over; `title` names the saved files (the
    // exports' titles: "Табель", "Продукция"...).
    explicit ExcelLink(QWidget *window = nullptr, const QString &title = QString());
    ~ExcelLink();
    ExcelLink(const ExcelLink &) = delete;
    ExcelLink &operator=(const ExcelLink &) = delete;

    // The start of the saved files' names; may change until the workbook is made visible.
    // Characters a file name cannot hold become "_"; an empty title is "Книга".
    void setTitle(const QString &title);
    QString title() const { return m_title; }

    // A new, empty workbook. A file name asks to open an existing workbook for writing, which
    // the link cannot do: it shows "Ошибка открытия файла Microsoft Excel." with the name.
    int OpenExcel(const QString &fileName = QString());
    int SetExcelVisible(bool visible);
    int WriteExcelCell(int sheet, int column, int row, const QString &text, bool asText,
                       bool fitColumn, bool bold);
    int WriteExcelValue(int sheet, int column, int row, const QString &text);
    // Fits every column that holds a text to its widest one, as WriteExcelCell's fit option
    // does for its column: what every export does before its workbook is made visible.
    int FitColumns();

    // Told the path of every file saved, as soon as it is complete (before it is opened), and
    // "" when OpenExcel starts a new workbook.
    void setSavedNote(std::function<void(const QString &)> note) { m_savedNote = std::move(note); }

    // The file last saved by SetExcelVisible(true); empty before the first.
    QString lastFile() const { return m_lastFile; }
    // The width (in characters of the sheet's digits) the column was last fitted to; -1 when it
    // never was and keeps the sheet's default width.
    double columnWidth(int column) const;

    static constexpr int kOk = 1;
    static constexpr int kFailed = -1;

private:
    struct Book;
    int writeCell(int sheet, int column, int row, const QString &text, bool setFormat, bool asText,
                  bool fitColumn, bool bold);
    int save();
    QString freeName(const QString &folder) const;

    QWidget *m_window;
    QString m_title;
    QString m_lastFile;
    std::unique_ptr<Book> m_book;
    std::function<void(const QString &)> m_savedNote;
};

} // namespace reports
