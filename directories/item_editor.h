#pragma once
// TForm7: the item editor.

#include "core/directory_window.h"

class TForm7 : public DirectoryEditor
{
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);

    QLineEdit *Edit1; // the mark
    QLineEdit *Edit2; // the count ("Коробки")
    ui::LookupBox *combo_nomenclature;

    db::Dataset nomenclature;

    void Button1Click() override;
};
