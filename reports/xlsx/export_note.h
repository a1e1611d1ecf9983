#pragma once
// The line an export window shows under its export: where the last workbook was saved
// ("Сохранено: /path/file.xlsx") and "Открыть папку", which shows that folder in the desktop's
// file manager. It says so after every export, also when no spreadsheet program opened the file.

#include <QWidget>

class QLabel;
class QPushButton;

namespace reports {

class ExcelLink;

class ExportNote : public QWidget
{
    Q_OBJECT
public:
    // Follows the link's saved files; hidden until the first one.
    explicit ExportNote(ExcelLink &link, QWidget *parent = nullptr);

    QString file() const { return m_file; } // the file shown; "" when none
    QLabel *LabelSaved;
    QPushButton *ButtonFolder; // "Открыть папку"

private:
    void showFile(const QString &file);
    void ButtonFolderClick();

    QString m_file;
};

} // namespace reports
