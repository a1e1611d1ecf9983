#pragma once
// The shape every reference list and its editor share: a grid over one dataset with a prefix
// filter, arrow keys in the filter moving the list, add / change / delete with a question, reloads
// that return to the row number, editors that refuse empty required fields. Each window states
// its differences as settings or overrides in its own file.

#include "core/chooser_targets.h"
#include "db/dataset.h"
#include "db/dataset_model.h"
#include "ui/window.h"

#include <QHash>
#include <QList>
#include <QVariant>
#include <functional>

class QFormLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace ui {
class DataGrid;
class LookupBox;
} // namespace ui

// Runs `sql` on the shared command with exactly these parameters; typed values always travel
// bound, never inside the text.
void runStatement(db::Command &command, const QString &sql, const db::Params &params);

class DirectoryWindow : public ui::Window
{
    Q_OBJECT
public:
    // How the filter edit treats keys: the usual lists swallow every key-down after moving the
    // list (Delete, Left, Right do nothing there); the items list takes only Up and Down.
    enum class FilterKeys { ConsumeAll, ArrowsOnly };

    struct Settings
    {
        QString caption;
        db::Dataset *dataset = nullptr;
        QList<db::DatasetModel::Column> columns;
        QList<int> columnWidths;
        QString filterField = QStringLiteral("s_caption");
        const char *addButtonName = "Button1";
        const char *exitButtonName = "Button4";
        bool spacerBeforeFilter = true;
        bool focusFilterOnActivate = false;
        FilterKeys filterKeys = FilterKeys::ConsumeAll;
        // Change, choose and delete act; the roles list shows its buttons without action.
        bool buttonsAct = true;
        QString deleteQuestion = QStringLiteral("Удалить строку?");
        QString deleteStatement; // "delete from <table> where id=:id"
        // The command that runs it (the data module's cmd_all unless the window says otherwise).
        std::function<db::Command &()> deleteCommand;
    };

    ui::DataGrid *DBGrid1;
    QPushButton *addButton; // Button1 or Button5, as the window names it
    QPushButton *Button2; // "Изменить", or "Выбрать" as a chooser
    QPushButton *Button3; // "Удалить"
    QLineEdit *Edit1; // the filter
    QPushButton *exitButton;

    db::Dataset &list() const { return *m_settings.dataset; }

    // Shows the list modally as a chooser, prepared and put back as the caller's opening says;
    // the caller opens and positions the dataset the pick is read from before. Returns the
    // list's result.
    int showAsChooser(const ChooserOpening &how);

    void Edit1Change();
    // Change in list mode (tag 0), choose in chooser mode; also the grid's double click.
    void Button2Click();
    void Button3Click();

protected:
    explicit DirectoryWindow(const Settings &settings, QWidget *parent = nullptr);

    // The current row into the editor and the editor shown; the list is reloaded afterwards.
    virtual void changeRow() { }
    // The current row handed to the chooser's caller (called also on an empty list).
    virtual void chooseRow() { }
    // Runs on every showing of the window, and when an editor it showed closes.
    virtual void FormActivate();
    void childClosed() override { FormActivate(); }

    // Shows the editor prepared for a new row: its save reloads the list, which then stands on
    // its first row; "Отмена" leaves the list on the row it had.
    void addThrough(QDialog *editor);

    // Close and reopen the list: it stands on its first row.
    void reload();
    // Close and reopen the list, then go back to the row number when it has rows.
    void reloadAt(int rowNumber);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    Settings m_settings;
};

// The editors of the lists: a titled group of fields above "Записать" and "Отмена".
class DirectoryEditor : public ui::Window
{
    Q_OBJECT
public:
    QPushButton *Button1; // "Записать"
    QPushButton *Button2; // "Отмена"
    int id = 0; // the row being changed

    // Saves; stays open when a required field is empty or the server refuses the statement.
    virtual void Button1Click() = 0;

    // Lookup datasets opened (and sorted by name) before the editor is shown; each lookup box
    // shows again the value it showed last, unless the caller sets another key.
    void openLookups();
    void closeLookups();

protected:
    DirectoryEditor(const QString &caption, const QString &groupTitle, QWidget *parent = nullptr);

    QFormLayout *fields() const { return m_fields; }
    // A text field of a column that keeps `limit` characters (names 254, descriptions 4000).
    QLineEdit *addEdit(const char *name, const QString &label, int limit = 254);
    // A lookup over a table of its own, listing s_caption with id as key.
    ui::LookupBox *addLookup(const char *name, const QString &label, db::Dataset &table,
                             const QString &tableName);
    // The edit that gets the focus whenever the editor opens.
    void setFirstField(QLineEdit *edit) { m_first = edit; }

    // False (after "Все поля должны быть заполнены!") when any text is empty after trimming.
    bool allFilled(const QStringList &texts);
    // What the user typed, trimmed; an empty field gives an empty text, never a missing value.
    // Refused with a message naming the field when it is longer than its column keeps, before
    // anything is written (the server would answer with its own words).
    QString typedText(const QLineEdit *edit) const;
    // The key of a lookup as an integer, 0 when nothing is chosen.
    static int keyOrZero(const ui::LookupBox *box);
    bool adding() const { return tag == 1; }
    // Runs the insert (add mode) or the update (change mode, with `id` bound as :id) on the
    // command (the data module's cmd_all unless given) and closes the editor.
    void saveRow(db::Params params, const QString &insertSql, const QString &updateSql,
                 db::Command *command = nullptr);

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    // The wheel steps the lookup box that has the focus, as arrow keys would.
    void wheelEvent(QWheelEvent *event) override;

private:
    struct Lookup
    {
        ui::LookupBox *box;
        db::Dataset *table;
        QVariant lastKey;
    };
    QGroupBox *m_group;
    QFormLayout *m_fields;
    QLineEdit *m_first = nullptr;
    struct TextField
    {
        QString label;
        int limit = 254;
    };
    QHash<const QLineEdit *, TextField> m_texts;
    QList<Lookup> m_lookups;
};
