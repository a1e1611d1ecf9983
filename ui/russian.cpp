#include "russian.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QToolButton>
#include <QTranslator>

namespace ui {

namespace {

QString capitalised(const QString &text)
{
    if (text.isEmpty() || text.at(0).isUpper())
        return text;
    return text.at(0).toUpper() + text.mid(1);
}

// Russian month names are lower case in running text; a calendar's heading and its month menu
// start them with a capital, as the users know them from their other programs.
void capitaliseMonths(QCalendarWidget *calendar)
{
    auto *month = calendar->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
    if (!month)
        return;
    month->setText(capitalised(month->text()));
    if (QMenu *menu = month->menu()) {
        for (QAction *a : menu->actions())
            a->setText(capitalised(a->text()));
    }
}

// Every calendar of the program, the date pickers' drop-downs included, gets its headings
// when it is first polished, so no window has to remember it.
class CalendarHeadings : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Polish) {
            if (auto *calendar = qobject_cast<QCalendarWidget *>(watched);
                calendar && !calendar->property(kDone).toBool()) {
                calendar->setProperty(kDone, true);
                connect(calendar, &QCalendarWidget::currentPageChanged, calendar,
                        [calendar] { capitaliseMonths(calendar); });
                capitaliseMonths(calendar);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static constexpr const char *kDone = "tabelMonthHeadings";
};

} // namespace

void installRussian()
{
    static bool installed = false;
    if (installed || !QCoreApplication::instance())
        return;
    installed = true;
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    QCoreApplication::instance()->installEventFilter(
        new CalendarHeadings(QCoreApplication::instance()));
}

} // namespace ui
