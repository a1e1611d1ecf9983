#pragma once
// TForm9: the operation type editor.

#include "core/directory_window.h"

class TForm9 : public DirectoryEditor
{
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);

    QLineEdit *Edit1; // name
    QLineEdit *Edit2; // description

    void Button1Click() override;
};
