#include "access_mode.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>

AccessMode accessModeFor(const QString &login)
{
    // Exact, case-sensitive comparison of the whole login.
    if (login == QLatin1String("approverone") || login == QLatin1String("checker")
        || login == QLatin1String("signatory"))
        return AccessMode::Acceptance;
    if (login == QLatin1String("wvk") || login == QLatin1String("senior"))
        return AccessMode::Full;
    if (login == QLatin1String("plonta"))
        return AccessMode::ViewOnly;
    return AccessMode::Entry;
}

void applyAccessMode(TForm1 &j, AccessMode mode)
{
    const bool edit = mode == AccessMode::Full || mode == AccessMode::Entry;
    const bool accept = mode == AccessMode::Acceptance || mode == AccessMode::Full;
    const bool menus = edit;
    const bool reports = mode != AccessMode::Acceptance;
    const bool browse = mode != AccessMode::ViewOnly;

    for (QPushButton *b : {j.Button1, j.Button2, j.Button3})
        b->setEnabled(edit);
    j.Button5->setEnabled(accept);
    j.menuDirectoriesAction->setEnabled(menus);
    j.menuTimesheetAction->setEnabled(menus);
    j.menuReportsAction->setEnabled(reports);
    for (QWidget *w :
         std::initializer_list<QWidget *> {j.RadioButton1, j.RadioButton2, j.RadioButton3,
                                           j.RadioButton4, j.CBox1, j.Button8, j.DBGrid2, j.DateT})
        w->setEnabled(browse);
    j.accessMode = mode;
}
