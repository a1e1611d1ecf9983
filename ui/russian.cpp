#include "russian.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
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

// Qt 6 asks for the file system's words ("Folder", "Drive") under the icon provider's name;
// Debian's Russian catalogue of Qt 6.4 still has them under the file dialog's, where Qt 5 asked.
// Installed after the catalogue, so it is asked first and answers that one name.
class MovedContexts : public QTranslator
{
public:
    MovedContexts(const QTranslator *catalogue, QObject *parent)
        : QTranslator(parent)
        , m_catalogue(catalogue)
    {
    }
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation,
                      int n) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") == 0)
            return m_catalogue->translate("QFileDialog", sourceText, disambiguation, n);
        return QString();
    }

private:
    const QTranslator *m_catalogue;
};

// The file system model writes sizes and dates in the machine's locale (QLocale::system(),
// "C" on many a machine: "5 Dec 2026"), not in the program's; these two columns are written
// again in the program's own ("05.12.2026 14:30", "1,50 кБ" as the office's desktop counts).
class ProgramLocaleColumns : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        auto *files = qobject_cast<QFileSystemModel *>(sourceModel());
        if (role == Qt::DisplayRole && files && (index.column() == 1 || index.column() == 3)) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == 3)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            if (!files->isDir(source))
                return QLocale().formattedDataSize(files->size(source), 2,
                                                   QLocale::DataSizeTraditionalFormat);
        }
        return QIdentityProxyModel::data(index, role);
    }
};

// Every calendar of the program, the date pickers' drop-downs included, gets its headings,
// and every file dialog (the program's and those Qt opens itself, as the printer's "print to
// file") its columns, when it is first polished, so no window has to remember it.
class RussianWidgets : public QObject
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
            // A native dialog has no columns of ours; the proxy then just goes with the dialog.
            if (auto *dialog = qobject_cast<QFileDialog *>(watched);
                dialog && !dialog->proxyModel()) {
                dialog->setProxyModel(new ProgramLocaleColumns(dialog));
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
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
        QCoreApplication::installTranslator(
            new MovedContexts(translator, QCoreApplication::instance()));
    }
    QCoreApplication::instance()->installEventFilter(
        new RussianWidgets(QCoreApplication::instance()));
}

} // namespace ui
