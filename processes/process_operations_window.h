#pragma once
// TForm33: one process with its operations.

#include "core/chooser_targets.h"
#include "db/dataset.h"
#include "processes/leaving_window.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class DataGrid;
}

class TForm33 : public LeavingWindow
{
    Q_OBJECT
public:
    explicit TForm33(QWidget *parent = nullptr);

    // The process's item: the items list writes the mark and id of the pick here.
    ItemTarget item;
    // The items list opened to pick it: its filter as it was, and its editing buttons back after.
    static constexpr ChooserOpening kItemChooser {
        .tag = 2, .clearFilter = false, .chooseIsDefault = false, .restoreAfter = true};
    int processId = 0; // 0 while a new process is not saved (tag 1)

    QGroupBox *GroupBox1;
    QLineEdit *Edit3; // "Наименование ТП:"
    QLineEdit *Edit2; // "Изделие:", filled by the item chooser
    QPushButton *Button5; // "...": picks the item
    QLabel *price; // "Итого:", the total of full_price
    QPushButton *Button6; // "Сохранить"
    ui::DataGrid *DBGrid1; // the shared query operation
    QPushButton *Button1, *Button2, *Button3; // "Добавить", "Изменить" / "Выбрать", "Удалить"
    QPushButton *Button4; // "Выход"
    QLineEdit *Edit1; // a field without behaviour

    db::Dataset full_price; // the process's total

    // The openings of the process list: a new process, or an existing one (its operations
    // listed). In chooser mode the process is only looked at and an operation is picked.
    void openNew();
    void openExisting(int id, int itemId, const QString &mark, const QString &caption,
                      bool chooser);
    // An operation was handed over to the entry editor in this showing.
    bool picked() const { return m_picked; }

    // "Выход": the header saved as "Сохранить" does, then the window closes; a refused or
    // failed save keeps it open.
    void Button4Click();
    // "Сохранить"; false when the save was refused.
    bool Button6Click();
    void Button5Click();
    void Button1Click();
    // "Изменить", or "Выбрать" in chooser mode; also the grid's double click.
    void Button2Click();
    void Button3Click();
    // The grid's double click: the operation's norms while the process list's "Цены" is
    // ticked, otherwise what Button2 does.
    void DBGrid1DblClick();

protected:
    // Esc and the close box leave as "Выход" does.
    void leave() override { Button4Click(); }

private:
    void setHeaderEditable(bool editable);
    void showTotal();
    void reopenTotal();
    void returnTo(int row);
    bool headerChanged() const;
    // When the header changed, the question, then the insert or update. False when the save was
    // refused (a required field empty); nothing to save or No count as done.
    bool saveHeader();
    void chooseOperation();

    // The header as last loaded or saved: a change against it asks the question.
    QString m_savedMark, m_savedCaption;
    int m_savedItem = 0;
    bool m_chooser = false;
    bool m_picked = false;
};
