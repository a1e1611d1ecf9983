// Makes the README's pictures: the login window, the journal after a login and the windows it
// opens, as a user sees them. Run by scripts/screenshots.sh under Xvfb against the demo database.

#include "app/data_module.h"
#include "app/forms.h"
#include "app/login_window.h"
#include "app/startup.h"
#include "journal/journal_window.h"
#include "processes/process_list_window.h"
#include "ui/seams.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTextStream>

namespace {

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Grabs each window shown modally into OUTDIR/<name>.png; from the journal it opens the
// personnel list and the process list through the menu, and from the process list a process's
// operations, as a user would.
class GrabModal : public ui::ModalSeam
{
public:
    explicit GrabModal(QString dir)
        : m_dir(std::move(dir))
    {
    }
    int exec(QDialog *dialog) override
    {
        dialog->show();
        settle(800);
        const bool journal = dialog == forms().journal;
        if (dialog == forms().processes) {
            // The operations of the demo's cabinet ШМ-01.
            dataModule().proc_tech.locate(QStringLiteral("id"), 3);
            qobject_cast<TForm4 *>(dialog)->Button2->click();
        } else {
            const QString name = journal            ? QStringLiteral("journal")
                : dialog->objectName() == u"TForm5" ? QStringLiteral("personnel")
                                                    : QStringLiteral("process_operations");
            dialog->grab().save(m_dir + u'/' + name + QStringLiteral(".png"));
        }
        if (journal) {
            forms().journal->N1->trigger();
            forms().journal->N5->trigger();
        }
        dialog->hide();
        return QDialog::Rejected;
    }

private:
    QString m_dir;
};

class NoEnd : public ui::EndSeam
{
public:
    void endProgram() override { }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tabel"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 6) {
        QTextStream(stderr) << "usage: tabel_screenshots SERVER DB OUTDIR LOGIN PASSWORD\n";
        return 2;
    }
    const QString out = args.at(3);
    NoEnd noEnd;
    ui::setEndSeam(&noEnd);
    if (!startProgram({args.at(0), args.at(1), args.at(2)}))
        return 1;
    TForm23 *login = forms().login;
    login->show();
    settle(800);
    login->Edit1->setText(args.at(4));
    login->grab().save(out + QStringLiteral("/login.png"));
    login->Edit2->setText(args.at(5));
    GrabModal grab(out);
    ui::setModalSeam(&grab);
    login->Button1Click();
    ui::setModalSeam(nullptr);
    stopProgram();
    return 0;
}
