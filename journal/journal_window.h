#pragma once
// TForm1: the journal window, the shift records of one date and one shift.

#include "ui/data_grid.h"
#include "ui/window.h"

#include <QTimer>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QAction;
namespace db {
class Dataset;
}

// What the login allows in the journal.
enum class AccessMode { Acceptance, Full, Entry, ViewOnly };

class TForm1 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);

    // Login state, written by the login.
    int currentShift = 1;
    QString currentLogin;
    QString currentPassword;
    int buildDate = 0; // the program's build stamp, as the version check compares it
    int buildTime = 0;
    AccessMode accessMode = AccessMode::Entry;

    // The dataset of the current shift number.
    db::Dataset &currentJournal() const;
    QDate journalDate() const;
    // Reopens the current journal keeping its sort text (and the row number when asked).
    void reloadKeepingOrder(bool keepRowNumber, int rowNumber = 0);
    // The same with a sort text noted earlier (before a window opened whose return reloads
    // the journal on activation).
    void reloadWithSort(const QString &sort, bool keepRowNumber, int rowNumber = 0);
    // "Изменить" and "Удалить" on an accepted record do nothing; the status line says why.
    // The text stays until the journal's current row changes.
    void tellAcceptedRefusal(qint64 id, bool deleting);

    // Top panel
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3, *RadioButton4;
    QDateEdit *DateT;
    QCheckBox *CBox1;
    QComboBox *ComboBox1;
    ui::DataGrid *DBGrid2;
    // Bottom panel
    QPushButton *Button1, *Button2, *Button3, *Button5, *Button6, *Button8, *Button4;
    QStatusBar *StatusBar1; // why a command did nothing
    // Main menu
    QMenuBar *MainMenu1;
    QMenu *menuDirectories, *menuStores, *menuMarketing, *menuProduction, *menuReports;
    QAction *N1, *N19, *N8, *N21, *N9, *N3, *N6, *N5, *N7, *N11, *N10, *NExit;
    QAction *menuTimesheetAction, *menuReportsAction, *menuDirectoriesAction;
    QTimer Timer1;
    // The row's context menu: "История записи" (also F8).
    QMenu *PopupMenu1;
    QAction *NHistory;

    // The grid's columns, in order (field, title, centred, visible).
    static QList<db::DatasetModel::Column> gridColumns();
    // Sort text a title click sets: ascending or descending text of a column; empty = none.
    static QString sortTextFor(int column, bool descending);

public Q_SLOTS:
    void FormActivate();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void DateTChange();
    void CBox1Click();
    void ComboBox1Change();
    void DBGrid2TitleClick(int column);
    void DBGrid2DblClick();
    void Button1Click(); // "Добавить"
    void Button2Click(); // "Изменить"
    void Button3Click(); // "Удалить"
    void Button5Click(); // "Принять"
    void Button6Click(); // "Принять ВСЕ"
    void Button8Click(); // "Обновить"
    void Button4Click(); // "Выход", also the menu's "Выход"
    // The menu: "Справочники", then "Табель по времени" and "Отчеты".
    void N1Click(); // "Персонал"
    void N19Click(); // "Подразделения"
    void N8Click(); // "Должности"
    void N21Click(); // "Роли"
    void N9Click(); // "Номенклатура"
    void N3Click(); // "ТМЦ"
    void N6Click(); // "Операции"
    void N5Click(); // "Техпроцессы"
    void N11Click(); // "Табель по времени"
    void N10Click(); // "Сводные отчеты"
    void NHistoryClick(); // the row's context menu: "История записи"
    void Timer1Timer();
    void DBGrid2DrawColumnCell(const QString &field, int row, QFont &font, QColor &color);

    // Focus back from a window the journal opened: the journal activates again.
    void childClosed() override;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void chooseShift(int shift);
    // Closes the four shifts' datasets and opens them again, on the journal date when asked,
    // otherwise with their parameters as they are.
    void reopenShifts(bool onJournalDate);
    // Runs an opening of other windows with the journal as the window the focus comes back to,
    // so it activates when such a window closes, before the rest of the handler.
    void openChild(const std::function<void()> &open);
    // The commands the delivered layout hides, shown when the setting asks for them.
    void showHiddenCommands(bool show);
    bool m_firstShowDone = false;
    bool m_activated = false; // the login's activation has run
    bool m_timerCheckRunning = false; // the version check of a tick, its error box included
    QWidget *m_calendarPopup = nullptr;
};
