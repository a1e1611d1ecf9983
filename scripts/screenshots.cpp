// Makes the README's pictures: the login window, the journal after a login (also with its
// drop-down calendar open), the personnel list and its delete question, and the process
// operations, as a user sees them. Run by scripts/screenshots.sh under Xvfb against the demo
// database.

#include "app/login_window.h"
#include "app/startup.h"
#include "core/data_module.h"
#include "core/directory_window.h"
#include "core/forms.h"
#include "journal/journal_window.h"
#include "processes/process_list_window.h"
#include "ui/seams.h"

#include "directories/personnel_window.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
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

// A click of the left button, as the mouse gives it.
void click(QWidget *w, const QPoint &at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

// The journal with its date picker dropped down: the window and the calendar in one picture.
void grabCalendar(TForm1 *j, const QString &file)
{
    click(j->DateT, QPoint(j->DateT->width() - 6, j->DateT->height() / 2));
    settle(500);
    QWidget *popup = j->DateT->calendarWidget()->window();
    QPixmap picture = j->grab();
    QPainter painter(&picture);
    painter.drawPixmap(popup->mapToGlobal(QPoint()) - j->mapToGlobal(QPoint()), popup->grab());
    painter.end();
    picture.save(file);
    popup->hide();
    settle(300);
}

// The program's question boxes as they come up, grabbed into OUTDIR/question.png; the answer
// is always No, so nothing is changed.
class GrabMessages : public ui::MessageSeam
{
public:
    explicit GrabMessages(QString dir)
        : m_dir(std::move(dir))
    {
    }
    QMessageBox::StandardButton show(QWidget *parent, const QString &caption, const QString &text,
                                     ui::Icon icon, QMessageBox::StandardButtons buttons) override
    {
        QMessageBox box(icon == ui::Icon::Question ? QMessageBox::Question : QMessageBox::Critical,
                        caption, text, buttons, parent);
        box.show();
        settle(500);
        box.grab().save(m_dir + QStringLiteral("/question.png"));
        return QMessageBox::No;
    }

private:
    QString m_dir;
};

// Grabs each window shown modally into OUTDIR/<name>.png; from the journal it opens the
// personnel list through the menu, and there asks to delete a worker, the process list and
// from it a process's operations, and a record for changing, and from the entry editor the
// material window, as a user would.
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
        const QString name = dialog->objectName();
        if (name == QLatin1String("TForm24")) {
            auto *goods = dialog->findChild<QComboBox *>(QStringLiteral("LCB_id_gds_use"));
            goods->setCurrentIndex(0);
            emit goods->activated(0);
            settle(300);
        }
        if (dialog == forms().processes) {
            // The operations of the demo's cabinet ШМ-01.
            dataModule().proc_tech.locate(QStringLiteral("id"), 3);
            qobject_cast<TForm4 *>(dialog)->Button2->click();
        } else {
            static const QHash<QString, QString> files {{"TForm1", "journal"},
                                                        {"TForm5", "personnel"},
                                                        {"TForm33", "process_operations"},
                                                        {"TForm11", "entry_editor"},
                                                        {"TForm24", "material"},
                                                        {"TForm34", "history"}};
            dialog->grab().save(m_dir + u'/' + files.value(name, name) + QStringLiteral(".png"));
        }
        if (dialog == forms().journal) {
            TForm1 *j = forms().journal;
            grabCalendar(j, m_dir + QStringLiteral("/calendar.png"));
            j->N1->trigger();
            j->N5->trigger();
            // A record not yet accepted, opened for changing.
            j->currentJournal().locate(QStringLiteral("ok"), QStringLiteral("no"));
            j->Button2->click();
            // The same record corrected twice, then its history from the row's menu.
            db::Params p;
            p.setInteger(QStringLiteral("id"), j->currentJournal().asInteger(QStringLiteral("id")));
            for (const char *sql :
                 {"update accounts_dep.smena set kol_vo = kol_vo + 2 where id = :id",
                  "update accounts_dep.smena set time = time - 1 where id = :id"})
                runStatement(dataModule().cmd_all, QLatin1String(sql), p);
            j->NHistory->trigger();
        } else if (dialog == forms().personnel) {
            forms().personnel->Button3->click();
        } else if (name == QLatin1String("TForm11")) {
            dialog->findChild<QPushButton *>(QStringLiteral("Button5"))->click();
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
    // The demo plant's day, so the journal shows its records whenever the pictures are made.
    ui::setFixedNow(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    if (!startProgram({args.at(0), args.at(1), args.at(2)}))
        return 1;
    TForm23 *login = forms().login;
    login->show();
    settle(800);
    login->Edit1->setText(args.at(4));
    login->grab().save(out + QStringLiteral("/login.png"));
    login->Edit2->setText(args.at(5));
    GrabModal grab(out);
    GrabMessages questions(out);
    ui::setModalSeam(&grab);
    ui::setMessageSeam(&questions);
    login->Button1Click();
    ui::setModalSeam(nullptr);
    ui::setMessageSeam(nullptr);
    stopProgram();
    return 0;
}
