#pragma once
// TForm10: the operation editor of a process.

#include "core/chooser_targets.h"
#include "db/dataset.h"
#include "ui/window.h"

class QLineEdit;
class QPushButton;

namespace ui {
class LookupBox;
}

class TForm10 : public ui::Window
{
    Q_OBJECT
public:
    explicit TForm10(QWidget *parent = nullptr);

    // The operation's type: the operation types list writes the name and id of the pick here.
    OperationTypeTarget operationType;
    // The operation types list opened to pick it: the change button keeps its caption, and the
    // filter edit is hidden after.
    static constexpr ChooserOpening kTypeChooser {
        .captionChoose = false, .plainChooseAfter = true, .hideFilterAfter = true};
    int id = 0; // the operation being changed (tag 0)

    QLineEdit *Edit2; // "Операция": the type's name, filled by the type chooser
    QPushButton *Button4; // "...": picks the type
    ui::LookupBox *cb_operation_state; // "Вид"
    QLineEdit *Edit3; // "Цена"
    QLineEdit *Edit1; // "№ по порядку"
    QPushButton *Button3; // "Записать"
    QPushButton *Button5; // "Отмена"

    db::Dataset max_num; // the next free position of a process
    db::Dataset operation_state; // the states of the lookup

    // The openings of the process operations window: a new operation of the process (tag 1),
    // or the current row of `operation` (tag 0).
    void openForAdding(int processId);
    void openForChanging(const db::Dataset &operation);

    void Button4Click();
    void Button1Click(); // "Записать"

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Type, state, price and position required; the price must be a number. Inserts or updates
    // the operation and closes the editor.
    void saveOperation();
};
