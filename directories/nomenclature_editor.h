#pragma once
// TForm29: the nomenclature group editor.

#include "core/directory_window.h"

class TForm29 : public DirectoryEditor
{
    Q_OBJECT
public:
    explicit TForm29(QWidget *parent = nullptr);

    QLineEdit *Edit1; // name
    ui::LookupBox *p_department; // the store

    db::Dataset cb_department;

    void Button1Click() override;
};
