#pragma once
// TForm2: the worker editor.

#include "core/directory_window.h"

class TForm2 : public DirectoryEditor
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    QLineEdit *Edit1; // surname
    QLineEdit *Edit2; // first name
    QLineEdit *Edit3; // patronymic
    ui::LookupBox *LCB_staffpos;
    ui::LookupBox *LCB_department;
    ui::LookupBox *LCB_roles;

    db::Dataset staffpos, department, roles;
    db::Command cmd_person; // the editor's insert and update, the list's delete

    void Button1Click() override; // "Записать"

private:
    // Every field required; the person inserted or updated with the name the lists show.
    void saveWorker();
};
