#include "position_editor.h"

#include "core/data_module.h"
#include "core/forms.h"
#include "ui/lookup_box.h"

#include <QLineEdit>

TForm27::TForm27(QWidget *parent)
    : DirectoryEditor(QStringLiteral("Ведение должностей"), QStringLiteral("Данные о позиции"),
                      parent)
{
    setObjectName(QStringLiteral("TForm27"));
    Edit1 = addEdit("Edit1", QStringLiteral("Наименование"));
    Edit2 = addEdit("Edit2", QStringLiteral("Описание"), 4000);
    p_department = addLookup("p_department", QStringLiteral("Подразделение"), cb_department,
                             QStringLiteral("cmn_department.department"));
}

void TForm27::Button1Click()
{
    if (!allFilled({Edit1->text()}))
        return;
    db::Params p;
    p.setText(QStringLiteral("s_caption"), typedText(Edit1));
    p.setText(QStringLiteral("s_description"), typedText(Edit2));
    p.setInteger(QStringLiteral("id_department"), keyOrZero(p_department));
    saveRow(p,
            QStringLiteral("insert into hrms_staffpos.staffpos(s_caption, s_description, "
                           "id_department)VALUES(:s_caption, :s_description, "
                           ":id_department)"),
            QStringLiteral("UPDATE hrms_staffpos.staffpos SET s_caption=:s_caption, "
                           "s_description=:s_description, id_department=:id_department "
                           "where id=:id"));
}
