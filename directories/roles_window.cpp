#include "roles_window.h"

#include "core/data_module.h"
#include "core/forms.h"

TForm32::TForm32(QWidget *parent)
    : DirectoryWindow(
        [] {
            Settings s;
            s.caption = QStringLiteral("Роли");
            s.dataset = &dataModule().role;
            s.columns = {{QStringLiteral("s_caption"), QStringLiteral("Наименование")},
                         {QStringLiteral("s_name"), QStringLiteral("Системное имя")}};
            s.columnWidths = {220, 160};
            s.addButtonName = "Button5";
            s.spacerBeforeFilter = false;
            // "Добавить", "Изменить" and "Удалить" are shown but do nothing.
            s.buttonsAct = false;
            return s;
        }(),
        parent)
{
    setObjectName(QStringLiteral("TForm32"));
    Button5 = addButton;
    Button4 = exitButton;
}
