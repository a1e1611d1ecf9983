#include "worker_editor.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "ui/lookup_box.h"
#include "ui/typed_input.h"

#include <QLineEdit>

TForm2::TForm2(QWidget *parent)
    : DirectoryEditor(QStringLiteral("Работники"), QStringLiteral("Данные о работнике"), parent)
    , cmd_person(&dataModule().ADO_DB)
{
    setObjectName(QStringLiteral("TForm2"));
    Edit1 = addEdit("Edit1", QStringLiteral("Фамилия"));
    Edit2 = addEdit("Edit2", QStringLiteral("Имя"));
    Edit3 = addEdit("Edit3", QStringLiteral("Отчество"));
    LCB_staffpos = addLookup("LCB_staffpos", QStringLiteral("Должность"), staffpos,
                             QStringLiteral("hrms_staffpos.staffpos"));
    LCB_department = addLookup("LCB_department", QStringLiteral("Подразделение"), department,
                               QStringLiteral("cmn_department.department"));
    LCB_roles
        = addLookup("LCB_roles", QStringLiteral("Роль"), roles, QStringLiteral("adm_role.roles"));
}

void TForm2::Button1Click()
{
    saveWorker();
}

void TForm2::saveWorker()
{
    if (!allFilled({Edit1->text(), Edit2->text(), Edit3->text(), LCB_staffpos->text(),
                    LCB_department->text(), LCB_roles->text()}))
        return;
    const QString surname = typedText(Edit1);
    const QString first = typedText(Edit2);
    const QString patronymic = typedText(Edit3);
    // The three together are the name the lists show, kept in a column of its own.
    const QString caption = ui::readText(surname + u' ' + first + u' ' + patronymic,
                                         QStringLiteral("Фамилия Имя Отчество"), 254);
    db::Params p;
    p.setText(QStringLiteral("s_caption"), caption);
    p.setText(QStringLiteral("s_second_name"), surname);
    p.setText(QStringLiteral("s_first_name"), first);
    p.setText(QStringLiteral("s_third_name"), patronymic);
    p.setInteger(QStringLiteral("id_staffpos"), keyOrZero(LCB_staffpos));
    p.setInteger(QStringLiteral("id_department"), keyOrZero(LCB_department));
    p.setInteger(QStringLiteral("id_role"), keyOrZero(LCB_roles));
    saveRow(p,
            QStringLiteral("INSERT INTO cmn_contractor.person (s_caption, s_second_name, "
                           "s_first_name, s_third_name, id_staffpos, id_department, "
                           "id_role)VALUES(:s_caption, :s_second_name, :s_first_name, "
                           ":s_third_name, :id_staffpos, :id_department, :id_role)"),
            QStringLiteral("UPDATE cmn_contractor.person SET s_caption=:s_caption, "
                           "s_second_name=:s_second_name, s_first_name=:s_first_name, "
                           "s_third_name=:s_third_name, id_staffpos=:id_staffpos, "
                           "id_department=:id_department, id_role=:id_role where "
                           "cmn_contractor.person.id=:id"),
            &cmd_person);
}
