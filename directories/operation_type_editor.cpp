#include "operation_type_editor.h"

#include "core/data_module.h"
#include "core/forms.h"

#include <QLineEdit>

TForm9::TForm9(QWidget *parent)
    : DirectoryEditor(QStringLiteral("Ведение оераций"), QStringLiteral("Данные об операции"),
                      parent)
{
    setObjectName(QStringLiteral("TForm9"));
    Edit1 = addEdit("Edit1", QStringLiteral("Операция"));
    Edit2 = addEdit("Edit2", QStringLiteral("Описание"), 4000);
}

void TForm9::Button1Click()
{
    if (!allFilled({Edit1->text()}))
        return;
    db::Params p;
    p.setText(QStringLiteral("s_caption"), typedText(Edit1));
    // An empty description is stored as an empty text, not as a missing value.
    p.setText(QStringLiteral("s_description"), typedText(Edit2));
    saveRow(p,
            QStringLiteral("insert into mnf_operation.operation_type(s_caption, "
                           "s_description)VALUES(:s_caption, :s_description)"),
            QStringLiteral("UPDATE mnf_operation.operation_type SET s_caption=:s_caption, "
                           "s_description=:s_description where id=:id"));
}
