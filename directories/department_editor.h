#pragma once
// TForm31: the department editor.

#include "core/directory_window.h"

class QCheckBox;
class QComboBox;
class QLabel;

class TForm31 : public DirectoryEditor
{
    Q_OBJECT
public:
    explicit TForm31(QWidget *parent = nullptr);

    QLineEdit *Edit1; // name
    QLineEdit *Edit2; // description
    QLabel *Label3; // "Тип склада"
    QComboBox *type_combo; // 0 "Склад ГП", 1 "Склад заготовок", 2 "Склад сырья"
    ui::LookupBox *p_department; // the parent
    QCheckBox *CheckBox1; // "Склад"

    db::Dataset cb_department;

    // Shows a stored kind (-1: not a store) without acting as the user's tick.
    void showStoreKind(int kind);
    // The user ticked or cleared "Склад".
    void CheckBox1Click();
    void Button1Click() override;

private:
    // True when the parent is the department being changed or one below it: the department
    // would stand above itself and could never be deleted.
    bool parentLoops(int parent) const;
};
