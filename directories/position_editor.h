#pragma once
// TForm27: the position editor.

#include "core/directory_window.h"

class TForm27 : public DirectoryEditor
{
    Q_OBJECT
public:
    explicit TForm27(QWidget *parent = nullptr);

    QLineEdit *Edit1; // name
    QLineEdit *Edit2; // description
    ui::LookupBox *p_department;

    db::Dataset cb_department;

    void Button1Click() override;
};
